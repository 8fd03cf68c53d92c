// HeldWriteTransaction: another session's write transaction, held open for
// the life of the object. A plain SQLite handle on the database takes the
// write lock (BEGIN IMMEDIATE) and runs the given statements without
// committing; they are rolled back when the object goes. A call that had to
// take the write lock meanwhile would wait for it and fail with "database
// is locked"; a call that only reads neither waits nor sees the statements.
#pragma once

#include <sqlite3.h>

#include <stdexcept>
#include <string>

#include "data/sqlite_text_rules.h"


class HeldWriteTransaction {
 public:
  HeldWriteTransaction(const std::string& path, const std::string& sql) {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) {
      sqlite3_close(db_);
      throw std::runtime_error("cannot open " + path);
    }
    // The text columns compare under the suite's collation.
    data::InstallSqlServerTextRules(db_);
    try {
      Run("BEGIN IMMEDIATE");
      Run(sql);
    } catch (...) {
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
      sqlite3_close(db_);
      throw;
    }
  }
  ~HeldWriteTransaction() {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db_);
  }
  HeldWriteTransaction(const HeldWriteTransaction&) = delete;
  HeldWriteTransaction& operator=(const HeldWriteTransaction&) = delete;

 private:
  void Run(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
      const std::string text = error ? error : "";
      sqlite3_free(error);
      throw std::runtime_error("SQL failed: " + text + " in " + sql);
    }
  }

  sqlite3* db_ = nullptr;
};
