// Range: its dispatch table, position and size, and the cells within it.
#include "platform/spreadsheet/range.h"

#include "platform/spreadsheet/automation.h"
#include "platform/spreadsheet/cell_address.h"
#include "runtime/dispatch.h"

namespace spreadsheet {
namespace {

// Beyond this many cells Value would build an array no caller can use.
constexpr int64_t kValueCellLimit = int64_t{1} << 22;

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

Range::Range(std::shared_ptr<const SheetCells> sheet, int32_t top, int32_t left, int32_t bottom,
             int32_t right, Unit unit)
    : sheet_(std::move(sheet)), top_(top), left_(left), bottom_(bottom), right_(right), unit_(unit) {}

const rt::DispatchTable* Range::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<Range>("Range")
          .Get("Row", &Range::Row)
          .Get("Column", &Range::Column)
          .Get("Count", &Range::Count)
          .Raw("Rows", rt::CallKind::Get, ArgsHandler<Range, &Range::Rows>())
          .Raw("Columns", rt::CallKind::Get, ArgsHandler<Range, &Range::Columns>())
          .Raw("Cells", rt::CallKind::Get, ArgsHandler<Range, &Range::Cells>())
          .Get("Text", &Range::Text)
          .Get("Value", &Range::Value)
          .Raw("_Default", rt::CallKind::Get, ArgsHandler<Range, &Range::Default>())
          .Raw("Find", rt::CallKind::Method, ArgsHandler<Range, &Range::Find>())
          .Default("_Default")
          .Build();
  return &table;
}

int32_t Range::Count() const {
  switch (unit_) {
    case Unit::Rows: return bottom_ - top_ + 1;
    case Unit::Columns: return right_ - left_ + 1;
    case Unit::Cells: break;
  }
  // VB's Long: a whole sheet has more cells than it holds.
  if (Area() > INT32_MAX) rt::RaiseVb(rt::vberr::kOverflow);
  return static_cast<int32_t>(Area());
}

rt::Variant Range::Rows(rt::Args& args) {
  if (!args.empty()) rt::RaiseVb(rt::vberr::kWrongArgumentCount);
  return rt::Variant(std::make_shared<Range>(sheet_, top_, left_, bottom_, right_, Unit::Rows));
}

rt::Variant Range::Columns(rt::Args& args) {
  if (!args.empty()) rt::RaiseVb(rt::vberr::kWrongArgumentCount);
  return rt::Variant(std::make_shared<Range>(sheet_, top_, left_, bottom_, right_, Unit::Columns));
}

rt::ObjectPtr Range::CellAt(int64_t row, int64_t column) const {
  if (row < 1 || row > sheet_->MaxRows() || column < 1 || column > sheet_->MaxColumns()) {
    RaiseApplicationError();
  }
  auto r = static_cast<int32_t>(row);
  auto c = static_cast<int32_t>(column);
  return std::make_shared<Range>(sheet_, r, c, r, c);
}

rt::Variant Range::Cells(rt::Args& args) {
  if (args.size() > 2) rt::RaiseVb(rt::vberr::kWrongArgumentCount);
  if (!Given(args, 0) && !Given(args, 1)) {
    return rt::Variant(std::make_shared<Range>(sheet_, top_, left_, bottom_, right_));
  }
  if (!Given(args, 1)) {
    // The n-th cell, counted along the range's rows and on below its last row.
    int64_t index = rt::CLng(args[0]) - int64_t{1};
    int64_t width = right_ - left_ + 1;
    return rt::Variant(CellAt(top_ + FloorDiv(index, width), left_ + (index - FloorDiv(index, width) * width)));
  }
  int64_t row = Given(args, 0) ? rt::CLng(args[0]) : 1;
  int64_t column = 0;
  if (args[1].IsString()) {
    column = ColumnOfLetters(*args[1].Get<std::string>());
    if (column == 0) RaiseApplicationError();
  } else {
    column = rt::CLng(args[1]);
  }
  return rt::Variant(CellAt(top_ + row - 1, left_ + column - 1));
}

rt::Variant Range::Text() const {
  if (Area() == 1) {
    const Cell* cell = sheet_->At(top_, left_);
    return rt::Variant(cell ? cell->Display() : std::string());
  }
  int64_t used = 0;
  std::optional<std::string> common;
  bool differ = false;
  ForEachUsed([&](const Cell& cell) {
    ++used;
    std::string shown = cell.Display();
    if (!common) common = std::move(shown);
    else if (*common != shown) differ = true;
  });
  if (used < Area()) {
    if (common && !common->empty()) differ = true;
    common = std::string();
  }
  return differ ? rt::Variant::Null() : rt::Variant(*common);
}

rt::Variant Range::Value() const {
  if (Area() == 1) {
    const Cell* cell = sheet_->At(top_, left_);
    return cell ? cell->Value() : rt::Variant();
  }
  if (Area() > kValueCellLimit) rt::RaiseVb(rt::vberr::kOutOfMemory);
  rt::ArrayPtr values = rt::SafeArray::TwoDim(1, bottom_ - top_ + 1, 1, right_ - left_ + 1);
  ForEachUsed([&](const Cell& cell) {
    values->At(cell.row - top_ + 1, cell.column - left_ + 1) = cell.Value();
  });
  return rt::Variant(values);
}

rt::Variant Range::Default(rt::Args& args) {
  if (args.empty()) return Value();
  return Cells(args);
}

}  // namespace spreadsheet
