// Reads an .xlsx workbook (SpreadsheetML in a ZIP package) with libzip and
// libxml2, all in memory.
//
// The package's relationships lead from "_rels/.rels" to the workbook part,
// and from the workbook's own relationships to its sheets (in the order the
// workbook lists them) and its shared strings. Cells hold numbers, shared
// strings (plain or in rich runs), inline strings, formula texts ("str"),
// Booleans ("b") and errors ("e").
#include <charconv>
#include <string>
#include <vector>

#include "platform/spreadsheet/cell_address.h"
#include "platform/spreadsheet/workbook_file.h"
#include "platform/spreadsheet/xml_stream.h"
#include "platform/spreadsheet/zip_package.h"

namespace spreadsheet {
namespace {

using Node = XmlStream::Node;

struct Relationship {
  std::string id;
  std::string type;
  std::string target;  // part name within the package
  bool external = false;
};

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// A relationship's target as a part name: absolute ("/xl/a.xml") or relative
// to the folder of the part that holds the relationship; "." and ".." folded.
std::string ResolveTarget(const std::string& sourcePart, const std::string& target) {
  std::string joined;
  if (!target.empty() && target[0] == '/') {
    joined = target.substr(1);
  } else {
    size_t slash = sourcePart.rfind('/');
    joined = (slash == std::string::npos ? "" : sourcePart.substr(0, slash + 1)) + target;
  }
  std::vector<std::string> segments;
  size_t start = 0;
  while (start <= joined.size()) {
    size_t end = joined.find('/', start);
    if (end == std::string::npos) end = joined.size();
    std::string segment = joined.substr(start, end - start);
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(segment);
    }
    start = end + 1;
  }
  std::string part;
  for (const std::string& s : segments) part += (part.empty() ? "" : "/") + s;
  return part;
}

std::string RelationshipsPartOf(const std::string& part) {
  size_t slash = part.rfind('/');
  std::string folder = slash == std::string::npos ? "" : part.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? part : part.substr(slash + 1);
  return folder + "_rels/" + name + ".rels";
}

std::vector<Relationship> ReadRelationships(ZipPackage& package, const std::string& sourcePart) {
  std::vector<Relationship> found;
  std::string relsPart = sourcePart.empty() ? "_rels/.rels" : RelationshipsPartOf(sourcePart);
  if (!package.Has(relsPart)) return found;
  std::string text = package.Read(relsPart);
  XmlStream xml(text, relsPart);
  while (xml.Next()) {
    if (xml.Kind() != Node::Start || xml.Name() != "Relationship") continue;
    Relationship r;
    r.id = xml.Attribute("Id").value_or("");
    r.type = xml.Attribute("Type").value_or("");
    r.external = xml.Attribute("TargetMode").value_or("") == "External";
    r.target = ResolveTarget(sourcePart, xml.Attribute("Target").value_or(""));
    found.push_back(std::move(r));
  }
  return found;
}

// Characters a text cannot hold in XML are written "_xHHHH_" (and a literal
// "_x" as "_x005F_x"); this undoes it for characters of the basic plane.
std::string DecodeEscapes(std::string text) {
  size_t at = text.find("_x");
  if (at == std::string::npos) return text;
  std::string out;
  size_t done = 0;
  for (; at != std::string::npos; at = text.find("_x", at + 1)) {
    if (at < done) continue;
    unsigned code = 0;
    if (at + 7 > text.size() || text[at + 6] != '_' ||
        std::from_chars(text.data() + at + 2, text.data() + at + 6, code, 16).ptr !=
            text.data() + at + 6 ||
        (code >= 0xD800 && code <= 0xDFFF)) {
      continue;
    }
    out.append(text, done, at - done);
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
    done = at + 7;
  }
  out.append(text, done, std::string::npos);
  return out;
}

// Gathers the characters of a string item (<si> or <is>): the <t> elements,
// whether alone or in rich runs, but not the phonetic readings (<rPh>).
class StringItem {
 public:
  void Start(std::string_view name) {
    if (name == "rPh") ++phonetic_;
    if (name == "t" && phonetic_ == 0) inText_ = true;
  }
  void End(std::string_view name) {
    if (name == "rPh" && phonetic_ > 0) --phonetic_;
    if (name == "t") inText_ = false;
  }
  void Characters(const std::string& text) {
    if (inText_) value_ += text;
  }
  std::string Take() {
    std::string v = DecodeEscapes(std::move(value_));
    value_.clear();
    phonetic_ = 0;
    inText_ = false;
    return v;
  }

 private:
  std::string value_;
  int phonetic_ = 0;
  bool inText_ = false;
};

std::vector<std::string> ReadSharedStrings(const std::string& text, const std::string& part) {
  std::vector<std::string> strings;
  XmlStream xml(text, part);
  StringItem item;
  bool inItem = false;
  while (xml.Next()) {
    switch (xml.Kind()) {
      case Node::Start:
        if (xml.Name() == "si") inItem = true;
        else if (inItem) item.Start(xml.Name());
        break;
      case Node::End:
        if (xml.Name() == "si") {
          strings.push_back(item.Take());
          inItem = false;
        } else if (inItem) {
          item.End(xml.Name());
        }
        break;
      case Node::Text: if (inItem) item.Characters(xml.Text()); break;
      case Node::Other: break;
    }
  }
  return strings;
}

// One <c> element as it is read.
struct PendingCell {
  int32_t row = 0, column = 0;
  std::string type;
  bool formula = false;
  std::string value;  // <v>
  bool inValue = false;
  bool inInline = false;
  StringItem inlineText;
};

Cell Finish(PendingCell& c, const std::vector<std::string>& shared, const XmlStream& xml) {
  Cell cell;
  cell.row = c.row;
  cell.column = c.column;
  cell.formula = c.formula;
  const std::string& t = c.type;
  // A cell with neither value nor formula is blank, whatever its type says.
  if (!c.formula && c.value.empty() && t != "inlineStr") return cell;
  if (t.empty() || t == "n") {
    if (!c.value.empty()) {
      cell.kind = CellKind::Number;
      const char* end = c.value.data() + c.value.size();
      if (std::from_chars(c.value.data(), end, cell.number).ptr != end) {
        xml.Fail("the number cell holds \"" + c.value + "\"");
      }
    }
  } else if (t == "s") {
    size_t index = 0;
    const char* end = c.value.data() + c.value.size();
    if (std::from_chars(c.value.data(), end, index).ptr != end || c.value.empty() ||
        index >= shared.size()) {
      xml.Fail("a cell names the shared string \"" + c.value + "\", which does not exist");
    }
    cell.text = shared[index];
  } else if (t == "inlineStr") {
    cell.text = c.inlineText.Take();
  } else if (t == "str") {
    cell.text = DecodeEscapes(c.value);
  } else if (t == "b") {
    cell.kind = CellKind::Boolean;
    cell.number = (c.value == "1" || c.value == "true") ? 1 : 0;
  } else if (t == "e") {
    cell.kind = CellKind::Error;
    cell.text = c.value;
  } else if (t == "d") {
    cell.text = c.value;  // a date written as ISO 8601 text
  } else {
    xml.Fail("a cell has the unknown type \"" + t + "\"");
  }
  return cell;
}

void ReadSheet(const std::string& text, const std::string& part,
               const std::vector<std::string>& shared, SheetCells& sheet) {
  XmlStream xml(text, part);
  int32_t row = 0;
  int32_t column = 0;
  PendingCell cell;
  bool inCell = false;
  while (xml.Next()) {
    std::string_view name = xml.Kind() == Node::Text ? std::string_view() : xml.Name();
    switch (xml.Kind()) {
      case Node::Start:
        if (name == "row") {
          // Rows and cells may leave out their numbers: they follow the previous one.
          std::optional<std::string> r = xml.Attribute("r");
          int32_t number = row + 1;
          if (r) {
            const char* end = r->data() + r->size();
            if (std::from_chars(r->data(), end, number).ptr != end) number = 0;
          }
          if (number < 1 || number > kXlsxRows) xml.Fail("a row number is out of range");
          row = number;
          column = 0;
        } else if (name == "c") {
          cell = PendingCell{};
          inCell = true;
          std::optional<std::string> ref = xml.Attribute("r");
          if (ref) {
            if (!ParseCellAddress(*ref, cell.row, cell.column)) {
              xml.Fail("the cell address \"" + *ref + "\" is not valid");
            }
          } else {
            cell.row = row == 0 ? 1 : row;
            cell.column = column + 1;
            if (cell.column > kXlsxColumns) xml.Fail("a column number is out of range");
          }
          row = cell.row;
          column = cell.column;
          cell.type = xml.Attribute("t").value_or("");
        } else if (inCell && name == "f") {
          cell.formula = true;
        } else if (inCell && name == "v") {
          cell.inValue = true;
        } else if (inCell && name == "is") {
          cell.inInline = true;
        } else if (cell.inInline) {
          cell.inlineText.Start(name);
        }
        break;
      case Node::End:
        if (name == "c" && inCell) {
          sheet.Add(Finish(cell, shared, xml));
          inCell = false;
        } else if (name == "v") {
          cell.inValue = false;
        } else if (name == "is") {
          cell.inInline = false;
        } else if (cell.inInline) {
          cell.inlineText.End(name);
        }
        break;
      case Node::Text:
        if (cell.inValue) cell.value += xml.Text();
        else if (cell.inInline) cell.inlineText.Characters(xml.Text());
        break;
      case Node::Other: break;
    }
  }
  sheet.Seal();
}

const Relationship* FindByType(const std::vector<Relationship>& rels, std::string_view type) {
  for (const Relationship& r : rels) {
    if (!r.external && EndsWith(r.type, type)) return &r;
  }
  return nullptr;
}

}  // namespace

std::shared_ptr<WorkbookCells> ReadXlsx(int fd, const std::string& canonicalPath) {
  ZipPackage package(fd);
  std::vector<Relationship> packageRels = ReadRelationships(package, "");
  const Relationship* office = FindByType(packageRels, "/officeDocument");
  if (!office || !package.Has(office->target)) throw OpenFailure("the file is not a workbook");
  const std::string workbookPart = office->target;
  std::vector<Relationship> rels = ReadRelationships(package, workbookPart);

  // The workbook part: the sheets by name and relationship, in workbook order.
  struct SheetEntry {
    std::string name, id;
  };
  std::vector<SheetEntry> entries;
  {
    std::string text = package.Read(workbookPart);
    XmlStream xml(text, workbookPart);
    bool root = true;
    while (xml.Next()) {
      if (xml.Kind() != Node::Start) continue;
      if (root && xml.Name() != "workbook") throw OpenFailure("the file is not a workbook");
      root = false;
      if (xml.Name() == "sheet") {
        entries.push_back({xml.Attribute("name").value_or(""), xml.Attribute("id", true).value_or("")});
      }
    }
  }
  if (entries.empty()) throw OpenFailure("the workbook has no sheet");

  std::vector<const Relationship*> sheetRels;
  std::vector<std::string> parts;
  for (const SheetEntry& e : entries) {
    const Relationship* found = nullptr;
    for (const Relationship& r : rels) {
      if (r.id == e.id && !r.external) found = &r;
    }
    if (!found) throw OpenFailure("the workbook is damaged (the sheet " + e.name + " has no part)");
    sheetRels.push_back(found);
    if (EndsWith(found->type, "/worksheet")) parts.push_back(found->target);
  }
  const Relationship* sharedRel = FindByType(rels, "/sharedStrings");
  if (sharedRel) parts.push_back(sharedRel->target);
  package.Reserve(parts);

  std::vector<std::string> shared;
  if (sharedRel && package.Has(sharedRel->target)) {
    shared = ReadSharedStrings(package.Read(sharedRel->target), sharedRel->target);
  }

  auto workbook = std::make_shared<WorkbookCells>();
  workbook->path = canonicalPath;
  for (size_t i = 0; i < entries.size(); ++i) {
    auto sheet = std::make_shared<SheetCells>(entries[i].name, kXlsxRows, kXlsxColumns);
    // A chart or dialog sheet has no cells.
    if (EndsWith(sheetRels[i]->type, "/worksheet")) {
      std::string text = package.Read(sheetRels[i]->target);
      ReadSheet(text, sheetRels[i]->target, shared, *sheet);
    }
    workbook->sheets.push_back(std::move(sheet));
  }
  return workbook;
}

}  // namespace spreadsheet
