// A plain SQLite handle on a database file, as an operator's sqlite3 tool
// opens it: none of the data layer's rules, and, when asked, the suitetext
// extension loaded the way the README tells operators to load it.
#pragma once

#include <sqlite3.h>

#include <string>

namespace testtool {

class ToolHandle {
 public:
  enum class Extension { None, Loaded };
  ToolHandle(const std::string& path, Extension extension) {
    sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(db_, 5000);
    if (extension == Extension::Loaded) {
      sqlite3_enable_load_extension(db_, 1);
      char* error = nullptr;
      if (sqlite3_load_extension(db_, SUITE_TEXT_EXTENSION, nullptr, &error) != SQLITE_OK)
        loadError_ = error ? error : "the extension did not load";
      sqlite3_free(error);
    }
  }
  ~ToolHandle() { sqlite3_close(db_); }
  ToolHandle(const ToolHandle&) = delete;
  ToolHandle& operator=(const ToolHandle&) = delete;

  // "" when the extension loaded (or none was asked for), else why not.
  const std::string& loadError() const { return loadError_; }

  // The rows of the statements, "a|b" per row and ";" between rows, or
  // "ERROR: <the engine's text>".
  std::string Query(const std::string& sql) {
    std::string rows;
    char* error = nullptr;
    sqlite3_exec(
        db_, sql.c_str(),
        [](void* p, int n, char** values, char**) {
          auto* s = static_cast<std::string*>(p);
          if (!s->empty()) *s += ";";
          for (int i = 0; i < n; ++i) *s += (i ? "|" : "") + std::string(values[i] ? values[i] : "NULL");
          return 0;
        },
        &rows, &error);
    const std::string text = error ? "ERROR: " + std::string(error) : rows;
    sqlite3_free(error);
    return text;
  }

 private:
  sqlite3* db_ = nullptr;
  std::string loadError_;
};

}  // namespace testtool
