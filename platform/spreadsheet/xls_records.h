// The .xls cells that libfreexl leaves out or misreads, read from the BIFF8
// records themselves: formula cells with their last results, Booleans and
// errors.
#pragma once

#include <string_view>
#include <vector>

#include "platform/spreadsheet/sheet_cells.h"

namespace spreadsheet {

class CompoundFile;

// The cells of each worksheet, in the workbook's sheet order, for a workbook
// of `sheetCount` sheets. Empty when the file holds no BIFF8 workbook stream
// or its sheets cannot be matched to that count.
std::vector<std::vector<Cell>> ReadFormulaAndFlagCells(const CompoundFile& file, size_t sheetCount);

}  // namespace spreadsheet
