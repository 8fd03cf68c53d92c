// Golden: the tests' one renderer of what a test saw, compared whole with
// the text it should be. Every observation carries a name, and every case of
// a table its label, so that a failed comparison names what differs:
//
//   EXPECT_EQ(Golden().Add("partners", Count("BUSINESSPARTNER")).Add("links", Links()).Line(),
//             "partners=3 links=1:1 2:3");
//
//   Golden rows;  // one labelled row per case
//   for (const auto& [from, to] : cases) rows.Add(from + ">" + to, Convert(from, to));
//   EXPECT_EQ(rows.Lines(), "ABC>HOM: 2.5\nHOM>ABC: 40\n");
//
// Add evaluates its value when it is called, so a chain of Adds observes in
// the order written (a chain of + does not promise that). The pieces goldens
// are made of are rendered here too: values with their subtypes,
// dictionaries, and rows of recordsets and of queries.
#pragma once

#include <sqlite3.h>

#include <iomanip>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "data/recordset.h"
#include "data/sqlite_text_rules.h"
#include "runtime/dictionary.h"
#include "runtime/variant.h"

// How Golden::Rows and Golden::Query write rows: fields joined by `field`,
// Null as `null`; each row ended by `end` ("a|b\nc|d\n"), or with `between`
// rows joined by it instead ("a|b; c|d"). With `names` each field carries
// its column's name.
struct GoldenRowText {
  std::string field = "|";
  std::string end = "\n";
  std::string between;
  std::string null = "null";
  bool names = false;

  // Each field named by its column, separated by " ": "A=a B=null\n".
  static GoldenRowText Named() {
    GoldenRowText text;
    text.field = " ";
    text.names = true;
    return text;
  }
  // The rows joined by `separator`, none ended: "a|b; c|d".
  static GoldenRowText Joined(std::string separator) {
    GoldenRowText text;
    text.between = std::move(separator);
    return text;
  }
};

class Golden {
 public:
  // Adds the field "name=value": a text as it is, a Boolean as true or
  // false, a number in decimal ("2.5"), a Variant as Value renders it, a
  // Golden as its Line.
  template <class T>
  Golden& Add(std::string_view name, const T& value) {
    fields_.emplace_back(std::string(name), Text(value));
    return *this;
  }

  // The fields on one line, separated by " ": "partners=3 links=1:1 2:3".
  std::string Line() const {
    std::string text;
    for (const auto& [name, value] : fields_) text += (text.empty() ? "" : " ") + name + "=" + value;
    return text;
  }
  // One field a line, "name: value\n": for tables of cases (a case's label
  // as the name) and for long values. A value of several lines starts on the
  // line after its name: "rows:\na|b\nc|d\n"; a value that is one ended
  // line stays on the name's ("row: a|b\n").
  std::string Lines() const {
    std::string text;
    for (const auto& [name, value] : fields_) {
      const bool ended = !value.empty() && value.back() == '\n';
      const bool block = value.find('\n') < value.size() - (ended ? 1 : 0);
      text += name + (block ? ":\n" : ": ") + value + (ended ? "" : "\n");
    }
    return text;
  }

  template <class T>
  static std::string Text(const T& value) {
    if constexpr (std::is_same_v<T, bool>) {
      return value ? "true" : "false";
    } else if constexpr (std::is_integral_v<T>) {
      return std::to_string(value);
    } else if constexpr (std::is_floating_point_v<T>) {
      std::ostringstream text;
      text << std::setprecision(15) << value;
      return text.str();
    } else if constexpr (std::is_same_v<T, rt::Variant>) {
      return Value(value);
    } else if constexpr (std::is_same_v<T, Golden>) {
      return value.Line();
    } else {
      return std::string(value);
    }
  }

  // --- the pieces -------------------------------------------------------------

  // "Subtype:value" ("Long:3", "String:abc", "Date:2026-12-08"); "Null",
  // "Empty", "Nothing" and "Object:<class>" alone; an array as
  // "Type()(Subtype:a, Subtype:b)".
  static std::string Value(const rt::Variant& v) {
    if (v.IsNull()) return "Null";
    if (v.IsEmpty()) return "Empty";
    if (v.IsObject()) return v.IsNothing() ? "Nothing" : "Object:" + v.AsObject()->TypeName();
    if (v.IsMissing()) return rt::TypeName(v);
    if (!v.IsArray()) return rt::TypeName(v) + ":" + rt::CStr(v);
    std::string text;
    for (const rt::Variant& item : v.AsArray().data) text += (text.empty() ? "" : ", ") + Value(item);
    return rt::TypeName(v) + "(" + text + ")";
  }

  // "KEY=Subtype:value" per entry in order, separated by "; "; with
  // `keyTypes` the keys' subtypes too ("String:KEY=Long:3"). "(nothing)" for
  // no dictionary, "(not a dictionary)" for another object.
  static std::string Entries(const rt::Dictionary& dictionary, bool keyTypes = false) {
    std::string text;
    for (const rt::Dictionary::Entry& e : dictionary.Entries())
      text += (text.empty() ? "" : "; ") + (keyTypes ? Value(e.key) : rt::CStr(e.key)) + "=" + Value(e.item);
    return text;
  }
  static std::string Entries(const rt::ObjectPtr& object, bool keyTypes = false) {
    if (!object) return "(nothing)";
    auto dictionary = std::dynamic_pointer_cast<rt::Dictionary>(object);
    return dictionary ? Entries(*dictionary, keyTypes) : "(not a dictionary)";
  }

  using RowText = GoldenRowText;

  // The rows of a recordset from the first (none when it is closed), each
  // value as VB's CStr writes it.
  static std::string Rows(data::Recordset& rs, const RowText& layout = {}) {
    std::vector<std::vector<std::string>> rows;
    if (rs.State() != data::kStateOpen) return "";
    if (!rs.Eof() || !rs.Bof()) rs.MoveFirst();
    for (; !rs.Eof(); rs.MoveNext()) {
      rows.emplace_back();
      for (int32_t i = 0; i < rs.FieldCount(); ++i) {
        const rt::Variant v = rs.Value(i);
        rows.back().push_back((layout.names ? rs.Column(i).name + "=" : "") + (v.IsNull() ? layout.null : rt::CStr(v)));
      }
    }
    return Join(rows, layout);
  }

  // The rows of a query on the database file at `path`, read with a plain
  // SQLite handle of its own (none of the data layer's rules in between);
  // "(error)" when the query does not prepare.
  static std::string Query(const std::string& path, const std::string& sql, const RowText& layout = {}) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    // The text columns compare by the collation our connections install.
    data::InstallSqlServerTextRules(db);
    sqlite3_stmt* st = nullptr;
    std::vector<std::vector<std::string>> rows;
    const bool prepared = sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK;
    while (st && sqlite3_step(st) == SQLITE_ROW) {
      rows.emplace_back();
      for (int i = 0; i < sqlite3_column_count(st); ++i) {
        const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
        rows.back().push_back((layout.names ? std::string(sqlite3_column_name(st, i)) + "=" : std::string()) +
                              (value ? value : layout.null));
      }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return prepared ? Join(rows, layout) : "(error)";
  }

 private:
  static std::string Join(const std::vector<std::vector<std::string>>& rows, const RowText& layout) {
    std::string text;
    for (size_t r = 0; r < rows.size(); ++r) {
      if (r && !layout.between.empty()) text += layout.between;
      for (size_t i = 0; i < rows[r].size(); ++i) text += (i ? layout.field : "") + rows[r][i];
      if (layout.between.empty()) text += layout.end;
    }
    return text;
  }

  std::vector<std::pair<std::string, std::string>> fields_;
};
