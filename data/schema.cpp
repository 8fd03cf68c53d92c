// Creating a database file from the schema scripts.
#include "data/schema.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "data/column_fit.h"
#include "data/data_types.h"
#include "data/engine.h"
#include "data/session_broker.h"
#include "data/sqlite_engine.h"
#include "data/sqlite_text_rules.h"
#include "data/tsql_lexer.h"
#include "runtime/com_error.h"

namespace data {

namespace {
[[noreturn]] void Fail(const std::string& text) { rt::Raise(rt::hr::kFail, "CreateDatabase", text); }
}  // namespace

namespace {

// The significant tokens of a statement (no blanks or comments).
std::vector<size_t> Significant(const std::vector<Token>& tokens) {
  std::vector<size_t> sig;
  for (size_t i = 0; i < tokens.size(); ++i)
    if (tokens[i].kind != TokenKind::Space) sig.push_back(i);
  return sig;
}

bool StartsTableConstraint(const Token& t) {
  return t.IsWord("CONSTRAINT") || t.IsWord("PRIMARY") || t.IsWord("UNIQUE") || t.IsWord("CHECK") ||
         t.IsWord("FOREIGN");
}

// A word that ends a column's declared type and begins its constraints.
bool EndsDeclaredType(const Token& t) {
  return StartsTableConstraint(t) || t.IsWord("NOT") || t.IsWord("NULL") || t.IsWord("DEFAULT") ||
         t.IsWord("COLLATE") || t.IsWord("REFERENCES") || t.IsWord("GENERATED") || t.IsWord("AS");
}

}  // namespace

namespace {

// A CREATE TABLE statement taken apart: its tokens, the significant ones,
// each column's name and declared type, and where its closing parenthesis
// stands (tokens.size() when the statement is no CREATE TABLE with columns).
struct DefinedColumn {
  std::string name, declared;
  bool identity = false;
  size_t typeAt = 0;  // the token that begins the declared type (when there is one)
};
// A table constraint "CONSTRAINT <name> CHECK (...)": its name, and the
// tokens from the comma before it to its last one.
struct NamedCheck {
  std::string name;
  size_t from = 0, last = 0;
};
struct TableDefinition {
  std::vector<Token> tokens;
  std::vector<DefinedColumn> columns;
  std::vector<NamedCheck> checks;
  size_t close = 0;
};

TableDefinition ReadTableDefinition(std::string_view statement) {
  TableDefinition d;
  try {
    d.tokens = Tokenize(statement);
  } catch (const std::invalid_argument&) {
    d.tokens.clear();  // the engine reports the error
  }
  const std::vector<Token>& tokens = d.tokens;
  d.close = tokens.size();
  const std::vector<size_t> sig = Significant(tokens);
  if (sig.size() < 4 || !tokens[sig[0]].IsWord("CREATE") || !tokens[sig[1]].IsWord("TABLE")) return d;
  size_t k = 2;
  while (k < sig.size() && !tokens[sig[k]].IsSymbol("(")) ++k;
  if (k == sig.size()) return d;  // CREATE TABLE ... AS SELECT
  // The column definitions: from each top-level comma to the next.
  auto definition = [&](size_t from, size_t to) {
    if (from >= to) return;
    if (StartsTableConstraint(tokens[sig[from]])) {
      if (from + 2 < to && tokens[sig[from - 1]].IsSymbol(",") && tokens[sig[from]].IsWord("CONSTRAINT") &&
          tokens[sig[from + 2]].IsWord("CHECK"))
        d.checks.push_back({tokens[sig[from + 1]].Name(), sig[from - 1], sig[to - 1]});
      return;
    }
    std::string declared;
    int inner = 0;
    for (size_t j = from + 1; j < to; ++j) {
      const Token& t = tokens[sig[j]];
      if (inner == 0 && EndsDeclaredType(t)) break;
      if (t.IsSymbol("(")) ++inner;
      if (t.IsSymbol(")")) --inner;
      if (!declared.empty() && t.kind == TokenKind::Word && tokens[sig[j - 1]].kind == TokenKind::Word) declared += ' ';
      declared += t.text;
    }
    // The identity (INTEGER PRIMARY KEY, the rowid itself) is numbered by
    // the engine and never written by callers: it needs no check.
    bool primaryKey = false;
    for (size_t j = from + 1; j + 1 < to; ++j)
      primaryKey = primaryKey || (tokens[sig[j]].IsWord("PRIMARY") && tokens[sig[j + 1]].IsWord("KEY"));
    const bool identity = primaryKey && Token{TokenKind::Word, declared}.IsWord("INTEGER");
    d.columns.push_back({tokens[sig[from]].Name(), declared, identity, from + 1 < to ? sig[from + 1] : 0});
  };
  int depth = 0;
  size_t start = k + 1;
  for (size_t j = k; j < sig.size(); ++j) {
    const Token& t = tokens[sig[j]];
    if (t.IsSymbol("(")) ++depth;
    if (t.IsSymbol(")") && --depth == 0) {
      definition(start, j);
      d.close = sig[j];
      break;
    }
    if (depth == 1 && t.IsSymbol(",")) {
      definition(start, j);
      start = j + 1;
    }
  }
  return d;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> DefinedColumns(std::string_view createTable) {
  std::vector<std::pair<std::string, std::string>> columns;
  for (const DefinedColumn& c : ReadTableDefinition(createTable).columns) columns.emplace_back(c.name, c.declared);
  return columns;
}

std::string WithColumnChecks(std::string_view statement) {
  const TableDefinition d = ReadTableDefinition(statement);
  if (d.close == d.tokens.size()) return std::string(statement);
  // The checks that an earlier version added (a table kept as it was by the
  // upgrade has them) are left out and made anew, so that each holds what
  // its column's type takes now; any other constraint stays.
  std::vector<const NamedCheck*> earlier;
  for (const NamedCheck& check : d.checks) {
    for (const DefinedColumn& column : d.columns) {
      if (IsColumnCheckName(check.name, column.name, column.declared)) {
        earlier.push_back(&check);
        break;
      }
    }
  }
  std::string additions;
  // The storage word goes before the declared types that need it: where
  // each such type begins, what comes before it.
  std::vector<std::pair<size_t, std::string>> storage;
  for (const DefinedColumn& column : d.columns) {
    const std::string stored = StorageDeclared(column.declared);
    if (stored.size() > column.declared.size())
      storage.emplace_back(column.typeAt, stored.substr(0, stored.size() - column.declared.size()));
    if (column.identity) continue;
    for (const auto& [constraint, expression] : ColumnChecks(column.name, column.declared))
      additions += ",\n  CONSTRAINT " + QuoteName(constraint) + " CHECK (" + expression + ")";
  }
  if (additions.empty() && storage.empty() && earlier.empty()) return std::string(statement);
  // Before the blanks that precede the closing parenthesis.
  size_t at = d.close;
  while (at > 0 && d.tokens[at - 1].kind == TokenKind::Space && d.tokens[at - 1].text.find("--") == std::string::npos)
    --at;
  std::string out;
  for (size_t i = 0, next = 0, left = 0; i < at; ++i) {
    if (left < earlier.size() && earlier[left]->from == i) {
      i = earlier[left++]->last;
      continue;
    }
    if (next < storage.size() && storage[next].first == i) out += storage[next++].second;
    out += d.tokens[i].text;
  }
  out += additions;
  for (size_t i = at; i < d.tokens.size(); ++i) out += d.tokens[i].text;
  return out;
}

std::vector<std::string> SchemaScripts(const std::string& folder) {
  std::vector<std::string> files;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    if (entry.is_regular_file() && entry.path().extension() == ".sql") files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

void CreateDatabase(const std::string& path, const std::vector<std::string>& scripts) {
  if (std::filesystem::exists(path)) Fail("The database file '" + path + "' exists already");
  ConfigureSqlite();
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  auto check = [&](int code, const std::string& what) {
    if (code == SQLITE_OK) return;
    std::string text = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    if (db) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    std::filesystem::remove(path);
    Fail(what + ": " + text);
  };
  check(rc, "Cannot create the database '" + path + "'");
  check(InstallSqlServerTextRules(db), "Cannot install the text rules");
  check(sqlite3_exec(db, "PRAGMA journal_mode=WAL; BEGIN", nullptr, nullptr, nullptr), "Cannot start the schema");
  for (const std::string& file : scripts) {
    std::ifstream in(file);
    if (!in) {
      sqlite3_close(db);
      std::filesystem::remove(path);
      Fail("Cannot read the schema script '" + file + "'");
    }
    std::stringstream text;
    text << in.rdbuf();
    for (const std::string& statement : ScriptStatements(text.str()))
      check(sqlite3_exec(db, WithColumnChecks(statement).c_str(), nullptr, nullptr, nullptr),
            "The schema script '" + file + "' failed");
  }
  check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), "Cannot commit the schema");
  sqlite3_close(db);
  // An idle session may still hold a file deleted from this path before.
  ForgetPooledSessions();
}

namespace {

// Whether the text holds anything but blanks and comments.
bool HasCode(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (std::isspace(static_cast<unsigned char>(c)) || c == ';') continue;
    if (c == '-' && i + 1 < text.size() && text[i + 1] == '-') {
      i = text.find('\n', i);
      if (i == std::string_view::npos) return false;
      continue;
    }
    if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
      i = text.find("*/", i + 2);
      if (i == std::string_view::npos) return false;
      ++i;
      continue;
    }
    return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> ScriptStatements(std::string_view script) {
  std::vector<std::string> statements;
  std::string current;
  for (char c : script) {
    current += c;
    // A ";" ends a statement unless it stands in a literal, a comment or a
    // trigger's body; SQLite's own scanner tells.
    if (c == ';' && sqlite3_complete(current.c_str())) {
      if (HasCode(current)) statements.push_back(std::move(current));
      current.clear();
    }
  }
  if (HasCode(current)) statements.push_back(std::move(current));
  return statements;
}

void RunScripts(const std::string& path, const std::vector<NamedScript>& scripts) {
  ConnectionSettings settings{"SQLite", path, "sqlite:" + path};
  std::unique_ptr<Session> session = EngineFor(settings.provider).Open(settings);
  std::string script;
  try {
    session->Begin();
    for (const NamedScript& s : scripts) {
      script = s.name;
      for (const std::string& sql : ScriptStatements(s.text)) {
        std::unique_ptr<Statement> statement = session->Prepare(WithColumnChecks(sql));
        while (statement->Step()) {
        }
      }
    }
    script = "commit";
    session->Commit();
  } catch (const rt::ComError& e) {
    session->Rollback();
    Fail("The schema script '" + script + "' failed: " + e.description());
  }
}

}  // namespace data
