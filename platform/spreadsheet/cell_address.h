// Cell addresses in A1 style ("C5", "$C$5", "AB12"), as workbooks store them
// and callers write them.
#pragma once

#include <cstdint>
#include <string_view>

namespace spreadsheet {

// The column number of letters "A".."XFD" (any case), 0 when they are not one.
int32_t ColumnOfLetters(std::string_view letters);

// Reads "C5" or "$C$5"; false when the text is no cell address within the
// largest grid (1,048,576 rows, 16,384 columns).
bool ParseCellAddress(std::string_view text, int32_t& row, int32_t& column);

}  // namespace spreadsheet
