// BIFF8 records of an .xls workbook stream: the sheet list in the workbook
// globals and, in each worksheet's substream, FORMULA (with the STRING that
// carries a text result), and BOOLERR.
#include "platform/spreadsheet/xls_records.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "platform/spreadsheet/compound_file.h"
#include "platform/spreadsheet/workbook_file.h"
#include "runtime/utf8.h"

namespace spreadsheet {
namespace {

constexpr uint16_t kFormula = 0x0006, kEof = 0x000A, kFilePass = 0x002F, kBoundSheet = 0x0085,
                   kBoolErr = 0x0205, kString = 0x0207, kArray = 0x0221, kTable = 0x0236,
                   kSharedFormula = 0x04BC, kBof = 0x0809;

struct Record {
  uint16_t type = 0;
  std::string_view data;
};

class Records {
 public:
  Records(std::string_view stream, size_t at) : stream_(stream), at_(at) {}
  bool Next(Record& r) {
    if (at_ + 4 > stream_.size()) return false;
    r.type = Get16(stream_, at_);
    uint16_t size = Get16(stream_, at_ + 2);
    if (at_ + 4 + size > stream_.size()) return false;
    r.data = stream_.substr(at_ + 4, size);
    at_ += 4 + size;
    return true;
  }
  static uint16_t Get16(std::string_view b, size_t at) {
    uint16_t v = 0;
    if (at + 2 <= b.size()) std::memcpy(&v, b.data() + at, 2);
    return v;
  }

 private:
  std::string_view stream_;
  size_t at_;
};

uint32_t Get32(std::string_view b, size_t at) {
  uint32_t v = 0;
  if (at + 4 <= b.size()) std::memcpy(&v, b.data() + at, 4);
  return v;
}

// A STRING record's text: a character count, a flag byte (bit 0: two bytes a
// character, else Latin-1 bytes) and the characters that fit in the record.
std::string StringResult(std::string_view data) {
  uint16_t count = Records::Get16(data, 0);
  if (data.size() < 3) return {};
  bool wide = (data[2] & 1) != 0;
  std::string out;
  size_t at = 3;
  for (uint16_t i = 0; i < count; ++i) {
    if (!wide) {
      if (at >= data.size()) break;
      rt::AppendUtf8(out, static_cast<unsigned char>(data[at++]));
      continue;
    }
    if (at + 2 > data.size()) break;
    uint32_t c = Records::Get16(data, at);
    at += 2;
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < count && at + 2 <= data.size()) {
      uint32_t low = Records::Get16(data, at);
      if (low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        at += 2;
        ++i;
      }
    }
    rt::AppendUtf8(out, c);
  }
  return out;
}

std::string ErrorText(uint8_t code) {
  switch (code) {
    case 0x00: return "#NULL!";
    case 0x07: return "#DIV/0!";
    case 0x0F: return "#VALUE!";
    case 0x17: return "#REF!";
    case 0x1D: return "#NAME?";
    case 0x24: return "#NUM!";
    case 0x2A: return "#N/A";
    default: return "#VALUE!";
  }
}

Cell At(std::string_view data) {
  Cell cell;
  cell.row = Records::Get16(data, 0) + 1;
  cell.column = Records::Get16(data, 2) + 1;
  return cell;
}

std::vector<Cell> ReadSubstream(std::string_view stream, size_t offset) {
  std::vector<Cell> cells;
  Records records(stream, offset);
  Record r;
  int depth = 0;
  std::optional<Cell> awaitingText;  // a FORMULA whose text follows in STRING
  while (records.Next(r)) {
    if (r.type == kBof) {
      ++depth;
      continue;
    }
    if (r.type == kEof) {
      if (--depth <= 0) break;
      continue;
    }
    if (depth != 1) continue;  // a chart's substream inside the sheet
    // The STRING follows its FORMULA, perhaps after the shared or array
    // formula's own record; without it the result is an empty text.
    if (awaitingText && r.type != kString && r.type != kSharedFormula && r.type != kArray &&
        r.type != kTable) {
      cells.push_back(std::move(*awaitingText));
      awaitingText.reset();
    }
    if (r.type == kString && awaitingText) {
      awaitingText->text = StringResult(r.data);
      cells.push_back(std::move(*awaitingText));
      awaitingText.reset();
    } else if (r.type == kFormula && r.data.size() >= 20) {
      Cell cell = At(r.data);
      cell.formula = true;
      if (Records::Get16(r.data, 12) == 0xFFFF) {
        auto kind = static_cast<uint8_t>(r.data[6]);
        auto value = static_cast<uint8_t>(r.data[8]);
        if (kind == 0) {
          awaitingText = std::move(cell);
          continue;
        }
        if (kind == 1) {
          cell.kind = CellKind::Boolean;
          cell.number = value != 0 ? 1 : 0;
        } else if (kind == 2) {
          cell.kind = CellKind::Error;
          cell.text = ErrorText(value);
        }  // 3: an empty text
      } else {
        cell.kind = CellKind::Number;
        std::memcpy(&cell.number, r.data.data() + 6, 8);
      }
      cells.push_back(std::move(cell));
    } else if (r.type == kBoolErr && r.data.size() >= 8) {
      Cell cell = At(r.data);
      auto value = static_cast<uint8_t>(r.data[6]);
      if (r.data[7] != 0) {
        cell.kind = CellKind::Error;
        cell.text = ErrorText(value);
      } else {
        cell.kind = CellKind::Boolean;
        cell.number = value != 0 ? 1 : 0;
      }
      cells.push_back(std::move(cell));
    }
  }
  if (awaitingText) cells.push_back(std::move(*awaitingText));
  std::erase_if(cells, [](const Cell& c) { return c.row > kXlsRows || c.column > kXlsColumns; });
  return cells;
}

}  // namespace

std::vector<std::vector<Cell>> ReadFormulaAndFlagCells(const CompoundFile& file, size_t sheetCount) {
  std::optional<std::string> stream = file.Stream("Workbook");
  if (!stream) return {};
  Records globals(*stream, 0);
  Record r;
  if (!globals.Next(r) || r.type != kBof || Records::Get16(r.data, 0) != 0x0600) return {};

  std::vector<size_t> all, worksheets;
  while (globals.Next(r) && r.type != kEof) {
    if (r.type == kFilePass) return {};
    if (r.type == kBoundSheet && r.data.size() >= 6) {
      all.push_back(Get32(r.data, 0));
      if (r.data[5] == 0) worksheets.push_back(Get32(r.data, 0));
    }
  }
  const std::vector<size_t>& offsets = worksheets.size() == sheetCount ? worksheets : all;
  if (offsets.size() != sheetCount) return {};
  std::vector<std::vector<Cell>> sheets;
  for (size_t offset : offsets) sheets.push_back(ReadSubstream(*stream, offset));
  return sheets;
}

}  // namespace spreadsheet
