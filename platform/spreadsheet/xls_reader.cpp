// Reads an .xls workbook (BIFF in an OLE2 compound file) with libfreexl.
//
// libfreexl is not safe on every damaged file (a bad directory sector makes
// it write outside a buffer; odd records make it leak), so the compound
// file's structure is checked first and libfreexl then runs in a child
// process that hands back the cells.
//
// libfreexl hands out each cell as a number, a text or a date rendered as
// text. It reports a Boolean or an error cell as a number and does not read
// formulas; those cells are read from the workbook's records
// (xls_records.cpp) and take the place of what libfreexl gave.
#include <freexl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/spreadsheet/child_process.h"
#include "platform/spreadsheet/compound_file.h"
#include "platform/spreadsheet/workbook_file.h"
#include "platform/spreadsheet/xls_records.h"
#include "platform/spreadsheet/zip_package.h"

namespace spreadsheet {
namespace {

// Long enough for the largest sheets, short enough that a reader caught in
// a loop gives up.
constexpr int kReaderSeconds = 120;

std::string Damaged(int code) {
  switch (code) {
    case FREEXL_INSUFFICIENT_MEMORY: return "there is not enough memory to read the workbook";
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
      return "the file holds no readable workbook (an encrypted workbook is not readable)";
    default: return "the workbook is damaged (libfreexl error " + std::to_string(code) + ")";
  }
}

void Check(int code) {
  if (code != FREEXL_OK) throw OpenFailure(Damaged(code));
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

// --- The cells as they cross from the child: sheet count, then per sheet its
// name and cells (row, column, kind, number, text), lengths as 32-bit.
void Put(std::string& out, const void* p, size_t n) { out.append(static_cast<const char*>(p), n); }
void PutText(std::string& out, const std::string& text) {
  auto n = static_cast<uint32_t>(text.size());
  Put(out, &n, 4);
  out += text;
}

class Taker {
 public:
  explicit Taker(const std::string& in) : in_(in) {}
  void Take(void* p, size_t n) {
    if (at_ + n > in_.size()) throw OpenFailure("the workbook is damaged (the reader's answer is cut short)");
    std::memcpy(p, in_.data() + at_, n);
    at_ += n;
  }
  uint32_t Count() {
    uint32_t n = 0;
    Take(&n, 4);
    return n;
  }
  std::string Text() {
    uint32_t n = Count();
    if (at_ + n > in_.size()) throw OpenFailure("the workbook is damaged (the reader's answer is cut short)");
    std::string text = in_.substr(at_, n);
    at_ += n;
    return text;
  }

 private:
  const std::string& in_;
  size_t at_ = 0;
};

void PutSheet(std::string& out, const void* book, unsigned short index) {
  Check(freexl_select_active_worksheet(book, index));
  const char* name = nullptr;
  Check(freexl_get_worksheet_name(book, index, &name));
  PutText(out, name ? name : "");
  unsigned int rows = 0;
  unsigned short columns = 0;
  Check(freexl_worksheet_dimensions(book, &rows, &columns));
  if (rows > static_cast<unsigned int>(kXlsRows) || columns > kXlsColumns) Check(FREEXL_CRAFTED_FILE);
  std::string cells;
  uint32_t count = 0;
  for (unsigned int r = 0; r < rows; ++r) {
    for (unsigned short c = 0; c < columns; ++c) {
      FreeXL_CellValue value{};
      Check(freexl_get_cell_value(book, r, c, &value));
      if (value.type == FREEXL_CELL_NULL) continue;
      uint32_t row = r + 1, column = c + 1u;
      uint8_t kind = value.type == FREEXL_CELL_INT || value.type == FREEXL_CELL_DOUBLE ? 1 : 0;
      double number = value.type == FREEXL_CELL_INT ? value.value.int_value
                      : value.type == FREEXL_CELL_DOUBLE ? value.value.double_value
                                                         : 0;
      Put(cells, &row, 4);
      Put(cells, &column, 4);
      Put(cells, &kind, 1);
      Put(cells, &number, 8);
      // Texts, and dates as libfreexl writes them ("2024-03-01").
      PutText(cells, kind == 0 && value.value.text_value ? value.value.text_value : "");
      ++count;
    }
  }
  Put(out, &count, 4);
  out += cells;
}

// Runs in the child: the whole workbook through libfreexl.
std::string ReadWithFreexl(int fd) {
  Handle book;
  std::string path = "/proc/self/fd/" + std::to_string(fd);
  Check(freexl_open(path.c_str(), book.out()));
  // libfreexl gives up on a workbook protected by a password: it answers
  // success without a workbook.
  if (!book.get()) throw OpenFailure("the workbook is encrypted");
  unsigned int password = 0;
  Check(freexl_get_info(book.get(), FREEXL_BIFF_PASSWORD, &password));
  if (password == FREEXL_BIFF_OBFUSCATED) throw OpenFailure("the workbook is encrypted");
  unsigned int count = 0;
  Check(freexl_get_info(book.get(), FREEXL_BIFF_SHEET_COUNT, &count));
  if (count == 0 || count > 65535) throw OpenFailure("the workbook has no sheet");
  std::string out;
  Put(out, &count, 4);
  for (unsigned int i = 0; i < count; ++i) PutSheet(out, book.get(), static_cast<unsigned short>(i));
  return out;
}

std::string ReadAll(int fd, size_t size) {
  std::string bytes(size, '\0');
  size_t done = 0;
  while (done < size) {
    ssize_t got = ::pread(fd, bytes.data() + done, size - done, static_cast<off_t>(done));
    if (got <= 0) throw OpenFailure("the file cannot be read");
    done += static_cast<size_t>(got);
  }
  return bytes;
}

}  // namespace

std::shared_ptr<WorkbookCells> ReadXls(int fd, const std::string& canonicalPath) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) throw OpenFailure("the file cannot be read");
  if (static_cast<uint64_t>(info.st_size) > ZipPackage::kTotalLimit) {
    throw OpenFailure("the workbook is larger than 256 MiB");
  }
  const std::string bytes = ReadAll(fd, static_cast<size_t>(info.st_size));
  CompoundFile structure(bytes);  // refuses a damaged header, FAT or directory

  std::string answer = RunInChild([fd] { return ReadWithFreexl(fd); }, kReaderSeconds,
                                  "the workbook is damaged (the .xls reader failed on it)");
  Taker in(answer);
  const uint32_t count = in.Count();

  // libfreexl has found the workbook sound; a part that the record reader
  // finds damaged only costs those cells.
  std::vector<std::vector<Cell>> extras;
  try {
    extras = ReadFormulaAndFlagCells(structure, count);
  } catch (const OpenFailure&) {
    extras.clear();
  }

  auto workbook = std::make_shared<WorkbookCells>();
  workbook->path = canonicalPath;
  for (uint32_t i = 0; i < count; ++i) {
    auto sheet = std::make_shared<SheetCells>(in.Text(), kXlsRows, kXlsColumns);
    for (uint32_t n = in.Count(); n > 0; --n) {
      Cell cell;
      uint32_t row = 0, column = 0;
      uint8_t kind = 0;
      in.Take(&row, 4);
      in.Take(&column, 4);
      in.Take(&kind, 1);
      in.Take(&cell.number, 8);
      cell.text = in.Text();
      if (row < 1 || row > static_cast<uint32_t>(kXlsRows) || column < 1 || column > kXlsColumns) {
        throw OpenFailure("the workbook is damaged (a cell lies off the sheet)");
      }
      cell.row = static_cast<int32_t>(row);
      cell.column = static_cast<int32_t>(column);
      cell.kind = kind == 1 ? CellKind::Number : CellKind::Text;
      sheet->Add(std::move(cell));
    }
    if (i < extras.size()) {
      for (Cell& cell : extras[i]) sheet->Add(std::move(cell));
    }
    sheet->Seal();
    workbook->sheets.push_back(std::move(sheet));
  }
  return workbook;
}

}  // namespace spreadsheet
