// The cells of a sheet: what a cell shows and holds, and the sorted store.
#include "platform/spreadsheet/sheet_cells.h"

#include <algorithm>

namespace spreadsheet {
namespace {

// The error values a cell may hold, as the numbers CVErr gives them.
int32_t ErrorNumber(const std::string& text) {
  static const struct {
    const char* text;
    int32_t number;
  } kErrors[] = {{"#NULL!", 2000}, {"#DIV/0!", 2007}, {"#VALUE!", 2015}, {"#REF!", 2023},
                 {"#NAME?", 2029}, {"#NUM!", 2036},   {"#N/A", 2042}};
  for (const auto& e : kErrors) {
    if (text == e.text) return e.number;
  }
  return 2015;
}

bool Before(const Cell& a, const Cell& b) {
  return a.row != b.row ? a.row < b.row : a.column < b.column;
}

}  // namespace

std::string Cell::Display() const {
  switch (kind) {
    case CellKind::Text:
    case CellKind::Error: return text;
    case CellKind::Number: return rt::CStr(rt::Variant(number));
    case CellKind::Boolean: return number != 0 ? "TRUE" : "FALSE";
  }
  return text;
}

rt::Variant Cell::Value() const {
  switch (kind) {
    case CellKind::Text: return rt::Variant(text);
    case CellKind::Number: return rt::Variant(number);
    case CellKind::Boolean: return rt::Variant(number != 0);
    case CellKind::Error:
      // A VB error value: the facility of automation errors and CVErr's number.
      return rt::Variant(rt::ErrorValue{static_cast<int32_t>(0x800A0000u) + ErrorNumber(text)});
  }
  return {};
}

void SheetCells::Add(Cell cell) {
  if (!cell.formula && cell.kind == CellKind::Text && cell.text.empty()) return;
  cells_.push_back(std::move(cell));
}

void SheetCells::Seal() {
  std::stable_sort(cells_.begin(), cells_.end(), Before);
  // Of two cells at one position the later one stands, as a later write would.
  std::vector<Cell> kept;
  kept.reserve(cells_.size());
  for (Cell& cell : cells_) {
    if (!kept.empty() && !Before(kept.back(), cell)) {
      kept.back() = std::move(cell);
    } else {
      kept.push_back(std::move(cell));
    }
  }
  cells_ = std::move(kept);
}

const Cell* SheetCells::At(int32_t row, int32_t column) const {
  Cell probe;
  probe.row = row;
  probe.column = column;
  auto it = std::lower_bound(cells_.begin(), cells_.end(), probe, Before);
  if (it == cells_.end() || it->row != row || it->column != column) return nullptr;
  return &*it;
}

}  // namespace spreadsheet
