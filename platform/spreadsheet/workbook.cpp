// Workbook and Sheets.
#include "platform/spreadsheet/workbook.h"

#include "platform/spreadsheet/application.h"
#include "platform/spreadsheet/automation.h"
#include "platform/spreadsheet/worksheet.h"
#include "runtime/dispatch.h"

namespace spreadsheet {

Workbook::Workbook(std::shared_ptr<const WorkbookCells> cells, std::weak_ptr<Workbooks> owner)
    : cells_(std::move(cells)), owner_(std::move(owner)) {
  for (const auto& sheet : cells_->sheets) sheets_.push_back(std::make_shared<Worksheet>(sheet));
}

const rt::DispatchTable* Workbook::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<Workbook>("Workbook")
          .Get("Name", &Workbook::Name)
          .Get("FullName", &Workbook::FullName)
          .Raw("Sheets", rt::CallKind::Get, ArgsHandler<Workbook, &Workbook::Sheets>())
          .Raw("Worksheets", rt::CallKind::Get, ArgsHandler<Workbook, &Workbook::Sheets>())
          .Raw("Close", rt::CallKind::Method, ArgsHandler<Workbook, &Workbook::Close>())
          .Build();
  return &table;
}

std::string Workbook::Name() const {
  size_t slash = cells_->path.rfind('/');
  return slash == std::string::npos ? cells_->path : cells_->path.substr(slash + 1);
}

std::string Workbook::FullName() const { return cells_->path; }

rt::Variant Workbook::Sheets(rt::Args& args) {
  if (args.size() > 1) rt::RaiseVb(rt::vberr::kWrongArgumentCount);
  if (!Given(args, 0)) {
    return rt::Variant(std::make_shared<spreadsheet::Sheets>(
        std::static_pointer_cast<const Workbook>(shared_from_this())));
  }
  return Sheet(args[0]);
}

rt::Variant Workbook::Sheet(const rt::Variant& index) const {
  if (index.IsString()) {
    for (const auto& sheet : sheets_) {
      if (rt::TextCompare(sheet->Name(), *index.Get<std::string>()) == 0) return rt::Variant(sheet);
    }
    rt::RaiseVb(rt::vberr::kSubscriptOutOfRange);
  }
  int32_t n = rt::CLng(index);
  if (n < 1 || n > static_cast<int32_t>(sheets_.size())) {
    rt::RaiseVb(rt::vberr::kSubscriptOutOfRange);
  }
  return rt::Variant(sheets_[static_cast<size_t>(n - 1)]);
}

rt::Variant Workbook::Close(rt::Args& args) {
  if (args.size() > 3) rt::RaiseVb(rt::vberr::kWrongArgumentCount);
  if (auto owner = owner_.lock()) owner->Forget(this);
  return {};
}

const rt::DispatchTable* Sheets::Dispatch() const {
  static const rt::DispatchTable table = rt::DispatchBuilder<Sheets>("Sheets")
                                             .Get("Count", &Sheets::Count)
                                             .Get("Item", &Sheets::Item)
                                             .Default("Item")
                                             .Build();
  return &table;
}

}  // namespace spreadsheet
