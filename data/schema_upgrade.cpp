// Bringing a database made before its text columns had their own collation,
// its typed columns their CHECK constraints and its money and decimal
// columns their storage as reals to the present form.
#include <sqlite3.h>

#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "data/column_fit.h"
#include "data/data_types.h"
#include "data/schema.h"
#include "data/sqlite_engine.h"
#include "data/sqlite_text_rules.h"
#include "data/tsql_lexer.h"
#include "runtime/com_error.h"

namespace data {

namespace {

[[noreturn]] void Fail(const std::string& text) { rt::Raise(rt::hr::kFail, "UpgradeDatabase", text); }

// A plain handle on the file with our text rules, closed at the end.
class Handle {
 public:
  explicit Handle(const std::string& path) : path_(path) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
      const std::string why = db_ ? sqlite3_errmsg(db_) : "out of memory";
      sqlite3_close(db_);
      Fail("Cannot open the database '" + path + "': " + why);
    }
    sqlite3_busy_timeout(db_, kSqliteBusyTimeoutMs);
    if (InstallSqlServerTextRules(db_) != SQLITE_OK) {
      const std::string why = Error();
      sqlite3_close(db_);
      Fail("Cannot install the text rules: " + why);
    }
  }
  ~Handle() { sqlite3_close(db_); }
  std::string Error() const { return sqlite3_errmsg(db_); }
  void Rollback() { sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr); }
  void Exec(const std::string& sql, const std::string& what) {
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) Fail(what + ": " + Error());
  }
  // The rows of a query, each as its columns' texts (Null as "NULL").
  std::vector<std::vector<std::string>> Rows(const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) Fail("Cannot read the schema: " + Error());
    std::vector<std::vector<std::string>> rows;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
      std::vector<std::string> row;
      for (int i = 0; i < sqlite3_column_count(st); ++i) {
        const unsigned char* text = sqlite3_column_text(st, i);
        row.emplace_back(text ? std::string(reinterpret_cast<const char*>(text), sqlite3_column_bytes(st, i))
                              : std::string("NULL"));
      }
      rows.push_back(std::move(row));
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) Fail("Cannot read the database: " + Error());
    return rows;
  }

 private:
  std::string path_;
  sqlite3* db_ = nullptr;
};

// The statement with every "COLLATE NOCASE" made "COLLATE <our collation>".
std::string WithOwnCollation(const std::string& sql) {
  std::vector<Token> tokens = Tokenize(sql);
  bool afterCollate = false;
  std::string out;
  for (Token& t : tokens) {
    if (t.kind == TokenKind::Space) {
      out += t.text;
      continue;
    }
    if (afterCollate && t.Name().size() == 6 && Token{TokenKind::Word, t.Name()}.IsWord("NOCASE"))
      t.text = kTextCollation;
    afterCollate = t.IsWord("COLLATE");
    out += t.text;
  }
  return out;
}

// The CREATE TABLE text with its name replaced.
std::string Renamed(const std::string& sql, const std::string& name) {
  std::vector<Token> tokens = Tokenize(sql);
  std::string out;
  int significant = 0;
  bool done = false;
  for (size_t i = 0; i < tokens.size(); ++i) {
    const Token& t = tokens[i];
    if (t.kind != TokenKind::Space) ++significant;
    // CREATE TABLE [IF NOT EXISTS] name
    const bool isName = !done && significant >= 3 && t.kind != TokenKind::Space && !t.IsWord("IF") &&
                        !t.IsWord("NOT") && !t.IsWord("EXISTS");
    if (isName) {
      out += QuoteName(name);
      done = true;
    } else {
      out += t.text;
    }
  }
  return out;
}

std::string Literal(const std::string& text) { return QuoteString(text); }

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// A statement's significant tokens joined by single blanks, so that a
// definition compares equal however it was laid out or commented.
std::string Normalised(const std::string& sql) {
  std::string out;
  for (const Token& t : Tokenize(sql)) {
    if (t.kind == TokenKind::Space || t.IsSymbol(";")) continue;
    // A renamed table's name comes back quoted.
    out += (out.empty() ? "" : " ") + (t.kind == TokenKind::QuotedName ? t.Name() : t.text);
  }
  return out;
}

// What the schema scripts define: tables by name, and indexes by name with
// the table they belong to.
struct Definitions {
  std::map<std::string, std::string> tables;                         // upper-case name -> CREATE TABLE
  std::map<std::string, std::pair<std::string, std::string>> indexes;  // upper-case name -> (table, CREATE INDEX)
};

Definitions ReadDefinitions(const std::vector<NamedScript>& schema) {
  Definitions d;
  for (const NamedScript& script : schema) {
    for (const std::string& statement : ScriptStatements(script.text)) {
      std::vector<std::string> words;
      for (const Token& t : Tokenize(statement)) {
        if (t.kind == TokenKind::Space) continue;
        words.push_back(t.kind == TokenKind::QuotedName ? t.Name() : t.text);
        if (words.size() == 6) break;
      }
      if (words.size() >= 3 && Upper(words[0]) == "CREATE" && Upper(words[1]) == "TABLE") {
        d.tables[Upper(words[2])] = statement;
      } else if (words.size() >= 5 && Upper(words[0]) == "CREATE") {
        const size_t at = Upper(words[1]) == "UNIQUE" ? 2 : 1;
        if (Upper(words[at]) == "INDEX" && at + 3 < words.size() + 1 && Upper(words[at + 2]) == "ON")
          d.indexes[Upper(words[at + 1])] = {Upper(words[at + 3]), statement};
      }
    }
  }
  return d;
}

}  // namespace

UpgradeResult UpgradeDatabase(const std::string& path, const std::vector<NamedScript>& schema) {
  const Definitions definitions = ReadDefinitions(schema);
  Handle db(path);
  // Tables are dropped and made anew inside the transaction: references
  // between them must not be checked half way.
  db.Exec("PRAGMA foreign_keys=OFF", "Cannot prepare the upgrade");
  db.Exec("BEGIN IMMEDIATE", "Cannot lock the database for the upgrade");
  try {
    struct Table {
      std::string name, target, fresh;
    };
    std::vector<Table> tables;
    // Every table's values are checked against the columns it will have:
    // a table kept as it is may still hold values written past its
    // constraints (PRAGMA ignore_check_constraints).
    std::vector<std::pair<std::string, std::string>> checked;  // table, the table whose columns it gets
    for (auto& row : db.Rows("SELECT name, sql FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' "
                             "ESCAPE '\\' ORDER BY rowid")) {
      const std::string& name = row[0];
      std::string target = WithColumnChecks(WithOwnCollation(row[1]));
      // The present definition when it has the same columns.
      auto defined = definitions.tables.find(Upper(name));
      if (defined != definitions.tables.end()) {
        std::string columns, definedColumns;
        for (auto& c : db.Rows("SELECT name FROM pragma_table_info(" + Literal(name) + ")")) columns += Upper(c[0]) + ",";
        for (const auto& c : DefinedColumns(defined->second)) definedColumns += Upper(c.first) + ",";
        if (definedColumns == columns) target = WithColumnChecks(defined->second);
      }
      if (Normalised(target) != Normalised(row[1])) {
        tables.push_back(Table{name, target, name + "__upgrade"});
        checked.emplace_back(name, name + "__upgrade");
      } else {
        checked.emplace_back(name, name);
      }
    }
    for (const Table& t : tables) db.Exec(Renamed(t.target, t.fresh), "Cannot make the table " + t.name + " anew");
    // Rows that do not fit their new column are named, all of them up to a
    // limit, before anything is copied.
    std::string misfits;
    int shown = 0;
    for (const auto& [name, columnsOf] : checked) {
      const bool withoutRowid =
          !db.Rows("SELECT 1 FROM pragma_table_list WHERE name = " + Literal(name) + " AND wr = 1").empty();
      std::string keyText;
      for (auto& key : db.Rows("SELECT name FROM pragma_table_info(" + Literal(name) + ") WHERE pk > 0 ORDER BY pk"))
        keyText += (keyText.empty() ? "quote(" : " || ', ' || quote(") + QuoteName(key[0]) + ")";
      // A table without rowid names its rows by their primary key.
      const std::string rowName = withoutRowid ? "'(' || " + keyText + " || ')'" : "rowid";
      for (auto& info : db.Rows("SELECT name, type, pk FROM pragma_table_info(" + Literal(columnsOf) + ")")) {
        if (info[2] != "0" && Upper(info[1]) == "INTEGER") continue;  // the identity: numbered by the engine
        std::string fits;  // all the column's checks at once, so a row is named once
        for (const auto& [constraint, expression] : ColumnChecks(info[0], info[1]))
          fits += (fits.empty() ? "(" : " AND (") + expression + ")";
        if (fits.empty()) continue;
        for (auto& bad : db.Rows("SELECT " + rowName + ", quote(" + QuoteName(info[0]) + ") FROM " + QuoteName(name) +
                                 " WHERE NOT (" + fits + ") LIMIT 20")) {
          if (++shown <= 20)
            misfits += "\n  " + name + " row " + bad[0] + ": " + info[0] + " = " + bad[1].substr(0, 80) +
                       " does not fit " + std::string(WithoutStorageWord(info[1]));
        }
      }
    }
    if (shown > 0)
      Fail("The database '" + path + "' holds " + (shown > 20 ? "more than 20" : std::to_string(shown)) +
           " value(s) that do not fit their column; correct them (with the sqlite3 tool and the suitetext "
           "extension loaded) and upgrade again:" + misfits);
    for (const Table& t : tables) {
      // The indexes and triggers the table had (as the schema defines an
      // index of the same name, else as it was), and the schema's other
      // indexes of the table.
      std::vector<std::string> dependents;
      std::set<std::string> named;
      for (auto& d : db.Rows("SELECT name, sql FROM sqlite_schema WHERE tbl_name = " + Literal(t.name) +
                             " AND type IN ('index', 'trigger') AND sql IS NOT NULL ORDER BY rowid")) {
        named.insert(Upper(d[0]));
        auto defined = definitions.indexes.find(Upper(d[0]));
        dependents.push_back(defined != definitions.indexes.end() && defined->second.first == Upper(t.name)
                                 ? defined->second.second
                                 : WithOwnCollation(d[1]));
      }
      for (const auto& [name, index] : definitions.indexes)
        if (index.first == Upper(t.name) && !named.count(name)) dependents.push_back(index.second);
      const auto sequence = db.Rows("SELECT seq FROM sqlite_sequence WHERE name = " + Literal(t.name));
      db.Exec("INSERT INTO " + QuoteName(t.fresh) + " SELECT * FROM " + QuoteName(t.name),
              "Cannot carry the rows of " + t.name + " over");
      db.Exec("DROP TABLE " + QuoteName(t.name), "Cannot replace the table " + t.name);
      db.Exec("ALTER TABLE " + QuoteName(t.fresh) + " RENAME TO " + QuoteName(t.name), "Cannot replace the table " + t.name);
      // An identity is never used twice, also after the upgrade.
      if (!sequence.empty())
        db.Exec("DELETE FROM sqlite_sequence WHERE name = " + Literal(t.name) +
                    "; INSERT INTO sqlite_sequence (name, seq) VALUES (" + Literal(t.name) + ", " + sequence[0][0] +
                    ")",
                "Cannot keep the identity counter of " + t.name);
      for (const std::string& dependent : dependents)
        db.Exec(dependent, "Cannot make an index or trigger of " + t.name +
                               " anew (do two of its rows hold values that differ only in letter case or trailing "
                               "blanks?)");
    }
    // The indexes of tables kept as they were: one the schema defines
    // otherwise (a key's columns in another order) or that the file lacks
    // is made anew from its rows.
    std::set<std::string> remade;
    for (const Table& t : tables) remade.insert(Upper(t.name));
    int indexes = 0;
    for (const auto& [name, index] : definitions.indexes) {
      const auto& [table, statement] = index;
      if (remade.count(table) ||
          db.Rows("SELECT 1 FROM sqlite_schema WHERE type = 'table' AND upper(name) = " + Literal(table)).empty())
        continue;
      const auto present =
          db.Rows("SELECT name, sql FROM sqlite_schema WHERE type = 'index' AND upper(name) = " + Literal(name));
      if (!present.empty() && Normalised(present[0][1]) == Normalised(statement)) continue;
      if (!present.empty()) db.Exec("DROP INDEX " + QuoteName(present[0][0]), "Cannot replace the index " + name);
      db.Exec(statement, "Cannot make the index " + name + " anew");
      ++indexes;
    }
    const auto broken = db.Rows("PRAGMA foreign_key_check");
    if (!broken.empty()) Fail("The upgrade would leave rows of " + broken[0][0] + " pointing at nothing");
    const auto integrity = db.Rows("PRAGMA integrity_check");
    if (integrity.empty() || integrity[0][0] != "ok")
      Fail("The upgraded database is not sound: " + (integrity.empty() ? std::string() : integrity[0][0]));
    db.Exec("COMMIT", "Cannot commit the upgrade");
    return UpgradeResult{static_cast<int>(tables.size()), indexes};
  } catch (...) {
    db.Rollback();
    throw;
  }
}

}  // namespace data
