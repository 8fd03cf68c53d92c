// Creating a database file from the schema scripts.
#include "data/schema.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "data/engine.h"
#include "data/session_broker.h"
#include "runtime/com_error.h"

namespace data {

namespace {
[[noreturn]] void Fail(const std::string& text) { rt::Raise(rt::hr::kFail, "CreateDatabase", text); }
}  // namespace

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
    check(sqlite3_exec(db, text.str().c_str(), nullptr, nullptr, nullptr), "The schema script '" + file + "' failed");
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
        std::unique_ptr<Statement> statement = session->Prepare(sql);
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
