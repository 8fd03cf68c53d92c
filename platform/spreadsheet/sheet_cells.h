// The cells of a workbook as read from its file: each sheet's used cells in
// row order, and what a cell shows (Text) and holds (Value).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "runtime/variant.h"

namespace spreadsheet {

enum class CellKind : uint8_t { Text, Number, Boolean, Error };

struct Cell {
  int32_t row = 0;     // 1-based
  int32_t column = 0;  // 1-based
  CellKind kind = CellKind::Text;
  bool formula = false;
  double number = 0;  // Number; Boolean as 1 or 0
  std::string text;   // Text and Error as stored ("#N/A")

  // What the cell shows: texts as stored, numbers as CStr writes a Double,
  // TRUE/FALSE, errors as stored.
  std::string Display() const;
  // What the cell holds: String, Double, Boolean or the error value.
  rt::Variant Value() const;
};

// One sheet. Only used cells are kept (a value that is not an empty text, or
// a formula); a position without a cell is blank.
class SheetCells {
 public:
  SheetCells(std::string name, int32_t maxRows, int32_t maxColumns)
      : name_(std::move(name)), maxRows_(maxRows), maxColumns_(maxColumns) {}

  const std::string& Name() const { return name_; }
  int32_t MaxRows() const { return maxRows_; }
  int32_t MaxColumns() const { return maxColumns_; }

  // Loading: cells come in any order; Seal sorts them and keeps the last of
  // two cells at one position. An unused cell is dropped.
  void Add(Cell cell);
  void Seal();

  // The cell at a position, or null when the position is blank.
  const Cell* At(int32_t row, int32_t column) const;
  // All used cells, by row and then by column.
  const std::vector<Cell>& Cells() const { return cells_; }

 private:
  std::string name_;
  int32_t maxRows_;
  int32_t maxColumns_;
  std::vector<Cell> cells_;
};

// A workbook: its sheets in workbook order. Sheets never change once read.
struct WorkbookCells {
  std::string path;  // the file as opened (canonical)
  std::vector<std::shared_ptr<const SheetCells>> sheets;
};

// The grid sizes of the two formats.
constexpr int32_t kXlsRows = 65536;
constexpr int32_t kXlsColumns = 256;
constexpr int32_t kXlsxRows = 1048576;
constexpr int32_t kXlsxColumns = 16384;

}  // namespace spreadsheet
