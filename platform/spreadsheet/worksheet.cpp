// Worksheet: the sheet's cells and ranges.
#include "platform/spreadsheet/worksheet.h"

#include <algorithm>

#include "platform/spreadsheet/automation.h"
#include "platform/spreadsheet/cell_address.h"
#include "platform/spreadsheet/range.h"
#include "runtime/dispatch.h"

namespace spreadsheet {
namespace {

struct Corners {
  int32_t top, left, bottom, right;
};

// One argument of Range(...): a range of the same sheet, or an address.
Corners CornersOf(const rt::Variant& arg, const std::shared_ptr<const SheetCells>& sheet) {
  if (arg.IsObject()) {
    auto range = std::dynamic_pointer_cast<spreadsheet::Range>(arg.AsObject());
    if (!range || range->Sheet() != sheet) RaiseApplicationError();
    return {range->Top(), range->Left(), range->Bottom(), range->Right()};
  }
  std::string text = rt::CStr(arg);
  std::string first = text, second = text;
  if (size_t colon = text.find(':'); colon != std::string::npos) {
    first = text.substr(0, colon);
    second = text.substr(colon + 1);
  }
  Corners c{};
  if (!ParseCellAddress(first, c.top, c.left) || !ParseCellAddress(second, c.bottom, c.right) ||
      std::max(c.top, c.bottom) > sheet->MaxRows() ||
      std::max(c.left, c.right) > sheet->MaxColumns()) {
    RaiseApplicationError();
  }
  return {std::min(c.top, c.bottom), std::min(c.left, c.right), std::max(c.top, c.bottom),
          std::max(c.left, c.right)};
}

}  // namespace

const rt::DispatchTable* Worksheet::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<Worksheet>("Worksheet")
          .Get("Name", &Worksheet::Name)
          .Raw("Cells", rt::CallKind::Get, ArgsHandler<Worksheet, &Worksheet::Cells>())
          .Raw("Range", rt::CallKind::Get, ArgsHandler<Worksheet, &Worksheet::Range>())
          .Build();
  return &table;
}

rt::Variant Worksheet::Cells(rt::Args& args) {
  spreadsheet::Range all(sheet_, 1, 1, sheet_->MaxRows(), sheet_->MaxColumns());
  return all.Cells(args);
}

rt::Variant Worksheet::Range(rt::Args& args) {
  if (args.size() > 2) rt::RaiseVb(rt::vberr::kWrongArgumentCount);
  if (!Given(args, 0)) rt::RaiseVb(rt::vberr::kArgumentNotOptional);
  Corners c = CornersOf(args[0], sheet_);
  if (Given(args, 1)) {
    Corners d = CornersOf(args[1], sheet_);
    c = {std::min(c.top, d.top), std::min(c.left, d.left), std::max(c.bottom, d.bottom),
         std::max(c.right, d.right)};
  }
  return rt::Variant(
      std::make_shared<spreadsheet::Range>(sheet_, c.top, c.left, c.bottom, c.right));
}

}  // namespace spreadsheet
