// Creating a database file from the schema scripts.
#include "data/schema.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

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
}

}  // namespace data
