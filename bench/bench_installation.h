// A benchmark's own installation for the process: a temporary folder with
// one SQLite database made from schema scripts and filled by the benchmark,
// and, for a component that reads it, the configuration naming it, which
// SUITE_CONFIG then points at. The folder goes when the process ends.
#pragma once

#include <sqlite3.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "data/schema.h"
#include "data/sqlite_text_rules.h"

namespace benchinstall {

// Runs `sql` on the database being filled; a failure stops the process with
// the engine's text, as figures over a half-filled database mean nothing.
inline void Exec(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    std::fprintf(stderr, "%s: %s\n", sql.c_str(), error ? error : "SQL failed");
    std::abort();
  }
}

// The component whose configuration names the database: Brintor by its
// connection string, Quarvel by its component entry, or none.
enum class Reader { None, Brintor, Quarvel };

class Installation {
 public:
  // Makes the folder "<name>-XXXXXX" and the database in it from `scripts`
  // (run in order), writes the configuration for `reader`, then fills the
  // database with `fill` when one is given.
  Installation(const std::string& name, const std::vector<std::string>& scripts, Reader reader = Reader::None,
               const std::function<void(sqlite3*)>& fill = nullptr) {
    std::string pattern = (std::filesystem::temp_directory_path() / (name + "-XXXXXX")).string();
    dir_ = mkdtemp(pattern.data());
    path = dir_ + "/bench.db";
    connectionString = "Provider=SQLite;Data Source=" + path;
    data::CreateDatabase(path, scripts);
    if (reader != Reader::None) {
      std::ofstream config(dir_ + "/suite.ini");
      config << "[LOG]\nFile=" << dir_ << "/suite.log\n";
      if (reader == Reader::Brintor)
        config << "[CONNECTIONS]\nBrintorConnection_ConnectionString=" << connectionString << "\n";
      else
        config << "[COMPONENTS]\nQuarvel=" << connectionString << "\n";
      setenv("SUITE_CONFIG", (dir_ + "/suite.ini").c_str(), 1);
    }
    if (fill) Fill(fill);
  }
  ~Installation() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  Installation(const Installation&) = delete;
  Installation& operator=(const Installation&) = delete;

  // Runs `steps` on a connection of their own to the database.
  void Fill(const std::function<void(sqlite3*)>& steps) const {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    data::InstallSqlServerTextRules(db);
    steps(db);
    sqlite3_close(db);
  }

  std::string path;              // the database file
  std::string connectionString;  // "Provider=SQLite;Data Source=" and the path

 private:
  std::string dir_;
};

}  // namespace benchinstall
