// Cell addresses in A1 style.
#include "platform/spreadsheet/cell_address.h"

#include "platform/spreadsheet/sheet_cells.h"

namespace spreadsheet {

int32_t ColumnOfLetters(std::string_view letters) {
  if (letters.empty() || letters.size() > 3) return 0;
  int32_t column = 0;
  for (char c : letters) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c < 'A' || c > 'Z') return 0;
    column = column * 26 + (c - 'A' + 1);
  }
  return column <= kXlsxColumns ? column : 0;
}

bool ParseCellAddress(std::string_view text, int32_t& row, int32_t& column) {
  size_t i = 0;
  if (i < text.size() && text[i] == '$') ++i;
  size_t letters = i;
  while (i < text.size() && ((text[i] >= 'A' && text[i] <= 'Z') || (text[i] >= 'a' && text[i] <= 'z'))) ++i;
  column = ColumnOfLetters(text.substr(letters, i - letters));
  if (column == 0) return false;
  if (i < text.size() && text[i] == '$') ++i;
  size_t digits = i;
  int64_t number = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - digits < 8) {
    number = number * 10 + (text[i] - '0');
    ++i;
  }
  if (i == digits || i != text.size() || number < 1 || number > kXlsxRows) return false;
  row = static_cast<int32_t>(number);
  return true;
}

}  // namespace spreadsheet
