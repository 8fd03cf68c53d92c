// BrintorSandbox: a fresh installation made by `suitehost init` in a
// temporary folder (catalog database, directory, configuration), made the
// process's configuration for the life of a test.
//
// The common library caches its connection string per thread, so a test
// that needs its own database runs its body on a fresh thread: Run(fn).
#pragma once

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <exception>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>

#include <sqlite3.h>

#include "data/sqlite_text_rules.h"

class BrintorSandbox {
 public:
  explicit BrintorSandbox(bool sample = false) {
    std::string pattern = (std::filesystem::temp_directory_path() / "brintor-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    dir_ = pattern;
    const std::string host = std::string(SUITE_BINARY_DIR) + "/bin/suitehost";
    std::string command = "'" + host + "' init '" + dir_ + "/site'" + (sample ? " --sample" : "") +
                          " >/dev/null";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("suitehost init failed");
    ::setenv("SUITE_CONFIG", ConfigPath().c_str(), 1);
  }
  ~BrintorSandbox() {
    ::unsetenv("SUITE_CONFIG");
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  BrintorSandbox(const BrintorSandbox&) = delete;
  BrintorSandbox& operator=(const BrintorSandbox&) = delete;

  std::string Site() const { return dir_ + "/site"; }
  std::string ConfigPath() const { return Site() + "/suite.ini"; }
  std::string LogPath() const { return Site() + "/suite.log"; }
  std::string CatalogPath() const { return Site() + "/catalog.db"; }
  std::string DirectoryPath() const { return Site() + "/directory.db"; }
  std::string ConnectionString() const { return "Provider=SQLite;Data Source=" + CatalogPath(); }

  // Runs SQL on the catalog database with a plain SQLite handle; throws on failure.
  void Exec(const std::string& sql) const { ExecOn(CatalogPath(), sql); }
  static void ExecOn(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    data::InstallSqlServerTextRules(db);
    sqlite3_busy_timeout(db, 5000);
    char* err = nullptr;
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
    std::string text = err ? err : "";
    sqlite3_free(err);
    sqlite3_close(db);
    if (rc != SQLITE_OK) throw std::runtime_error("SQL failed: " + text + " in " + sql);
  }

  // Runs fn on a new thread (fresh per-thread caches) and rethrows its failure.
  template <class F>
  static void Run(F&& fn) {
    std::exception_ptr failure;
    std::thread worker([&] {
      try {
        fn();
      } catch (...) {
        failure = std::current_exception();
      }
    });
    worker.join();
    if (failure) std::rethrow_exception(failure);
  }

 private:
  std::string dir_;
};
