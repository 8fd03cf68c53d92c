// Range: a rectangle of cells on one sheet, as the spreadsheet hands it out
// for a sheet's Cells, Range(...), Cells(r, c) and Find.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>

#include "platform/spreadsheet/sheet_cells.h"
#include "runtime/object.h"

namespace spreadsheet {

class Range : public rt::Object {
 public:
  // What Count counts: the range as its Cells, its Rows or its Columns.
  enum class Unit { Cells, Rows, Columns };

  // Rows and columns 1-based, inside the sheet's grid.
  Range(std::shared_ptr<const SheetCells> sheet, int32_t top, int32_t left, int32_t bottom,
        int32_t right, Unit unit = Unit::Cells);
  const rt::DispatchTable* Dispatch() const override;

  // --- Position and size --------------------------------------------------
  int32_t Row() const { return top_; }
  int32_t Column() const { return left_; }
  int32_t Count() const;
  rt::Variant Rows(rt::Args& args);
  rt::Variant Columns(rt::Args& args);

  // --- Cells within (range_cells.cpp) -------------------------------------
  // Cells(): the range; Cells(r, c): the cell r rows and c columns from the
  // top left (1, 1 being the top left), which may lie past the range's edge;
  // Cells(n): the n-th cell counted along the rows of the range.
  rt::Variant Cells(rt::Args& args);
  // The shown text of one cell; for several, the text when all show the
  // same, else Null.
  rt::Variant Text() const;
  // What one cell holds (Empty when blank); for several, a 2-D array.
  rt::Variant Value() const;
  // The default member: Value without arguments, Cells with them.
  rt::Variant Default(rt::Args& args);

  // --- Search (range_find.cpp) ---------------------------------------------
  // Find(What, After, LookIn, LookAt, SearchOrder, SearchDirection, MatchCase):
  // the first used cell that matches, or Nothing.
  rt::Variant Find(rt::Args& args);

  const std::shared_ptr<const SheetCells>& Sheet() const { return sheet_; }
  int32_t Top() const { return top_; }
  int32_t Left() const { return left_; }
  int32_t Bottom() const { return bottom_; }
  int32_t Right() const { return right_; }

 private:
  int64_t Area() const { return int64_t{bottom_ - top_ + 1} * (right_ - left_ + 1); }
  // The used cells inside the range, in row order, through `visit`.
  template <class F>
  void ForEachUsed(F&& visit) const;
  rt::ObjectPtr CellAt(int64_t row, int64_t column) const;

  std::shared_ptr<const SheetCells> sheet_;
  int32_t top_, left_, bottom_, right_;
  Unit unit_;
};

template <class F>
void Range::ForEachUsed(F&& visit) const {
  const std::vector<Cell>& cells = sheet_->Cells();
  auto it = std::lower_bound(cells.begin(), cells.end(), top_,
                             [](const Cell& cell, int32_t row) { return cell.row < row; });
  for (; it != cells.end() && it->row <= bottom_; ++it) {
    if (it->column >= left_ && it->column <= right_) visit(*it);
  }
}

}  // namespace spreadsheet
