// Worksheet: one sheet of an open workbook, read-only.
#pragma once

#include <memory>
#include <string>

#include "platform/spreadsheet/sheet_cells.h"
#include "runtime/object.h"

namespace spreadsheet {

class Worksheet : public rt::Object {
 public:
  explicit Worksheet(std::shared_ptr<const SheetCells> sheet) : sheet_(std::move(sheet)) {}
  const rt::DispatchTable* Dispatch() const override;

  std::string Name() const { return sheet_->Name(); }
  // Cells(): every cell of the sheet; Cells(r, c): one cell.
  rt::Variant Cells(rt::Args& args);
  // Range(cell1[, cell2]): each a Range of this sheet or an address ("C5",
  // "C5:D9"); two give the rectangle spanning both.
  rt::Variant Range(rt::Args& args);

 private:
  std::shared_ptr<const SheetCells> sheet_;
};

}  // namespace spreadsheet
