// Reads an .xls workbook (BIFF in an OLE2 compound file) with libfreexl.
//
// libfreexl hands out each cell as a number, a text or a date rendered as
// text. It reports a Boolean or an error cell as its number and does not read
// formulas: such cells come through as numbers or stay blank.
#include <freexl.h>

#include <string>

#include "platform/spreadsheet/workbook_file.h"

namespace spreadsheet {
namespace {

std::string Damaged(int code) {
  switch (code) {
    case FREEXL_INSUFFICIENT_MEMORY: return "there is not enough memory to read the workbook";
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
      return "the file holds no readable workbook (an encrypted workbook is not readable)";
    default: return "the workbook is damaged (libfreexl error " + std::to_string(code) + ")";
  }
}

class Handle {
 public:
  ~Handle() {
    if (handle_) freexl_close(handle_);
  }
  const void** out() { return &handle_; }
  const void* get() const { return handle_; }

 private:
  const void* handle_ = nullptr;
};

void Check(int code) {
  if (code != FREEXL_OK) throw OpenFailure(Damaged(code));
}

void ReadSheet(const void* book, unsigned short index, SheetCells& sheet) {
  Check(freexl_select_active_worksheet(book, index));
  unsigned int rows = 0;
  unsigned short columns = 0;
  Check(freexl_worksheet_dimensions(book, &rows, &columns));
  if (rows > static_cast<unsigned int>(kXlsRows) || columns > kXlsColumns) Check(FREEXL_CRAFTED_FILE);
  for (unsigned int r = 0; r < rows; ++r) {
    for (unsigned short c = 0; c < columns; ++c) {
      FreeXL_CellValue value{};
      Check(freexl_get_cell_value(book, r, c, &value));
      Cell cell;
      cell.row = static_cast<int32_t>(r) + 1;
      cell.column = c + 1;
      switch (value.type) {
        case FREEXL_CELL_NULL: continue;
        case FREEXL_CELL_INT:
          cell.kind = CellKind::Number;
          cell.number = value.value.int_value;
          break;
        case FREEXL_CELL_DOUBLE:
          cell.kind = CellKind::Number;
          cell.number = value.value.double_value;
          break;
        default:  // texts, and dates as libfreexl writes them ("2024-03-01")
          cell.text = value.value.text_value ? value.value.text_value : "";
          break;
      }
      sheet.Add(std::move(cell));
    }
  }
  sheet.Seal();
}

}  // namespace

std::shared_ptr<WorkbookCells> ReadXls(int fd, const std::string& canonicalPath) {
  Handle book;
  std::string path = "/proc/self/fd/" + std::to_string(fd);
  Check(freexl_open(path.c_str(), book.out()));
  // libfreexl gives up on a workbook protected by a password: it answers
  // success without a workbook.
  if (!book.get()) throw OpenFailure("the workbook is encrypted");
  unsigned int info = 0;
  Check(freexl_get_info(book.get(), FREEXL_BIFF_PASSWORD, &info));
  if (info == FREEXL_BIFF_OBFUSCATED) throw OpenFailure("the workbook is encrypted");
  unsigned int count = 0;
  Check(freexl_get_info(book.get(), FREEXL_BIFF_SHEET_COUNT, &count));

  auto workbook = std::make_shared<WorkbookCells>();
  workbook->path = canonicalPath;
  for (unsigned int i = 0; i < count; ++i) {
    const char* name = nullptr;
    Check(freexl_get_worksheet_name(book.get(), static_cast<unsigned short>(i), &name));
    auto sheet = std::make_shared<SheetCells>(name ? name : "", kXlsRows, kXlsColumns);
    ReadSheet(book.get(), static_cast<unsigned short>(i), *sheet);
    workbook->sheets.push_back(std::move(sheet));
  }
  if (workbook->sheets.empty()) throw OpenFailure("the workbook has no sheet");
  return workbook;
}

}  // namespace spreadsheet
