// A database of its own for each test, in a temporary folder, and helpers
// that render recordsets as text for whole-result comparisons.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>

#include "data/connection.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "runtime/context.h"
#include "runtime/regional.h"
#include "tests/common/golden.h"
#include "tests/common/temp_folder.h"

namespace testdb {

class TestDatabase {
 public:
  // Creates the database and runs `ddl` (SQLite's dialect) on it.
  explicit TestDatabase(const std::string& ddl = {})
      : dir_(folder_.path().string()), path_(dir_ + "/test.db") {
    data::CreateDatabase(path_, {});
    if (!ddl.empty()) RawExec(ddl);
  }
  const std::string& path() const { return path_; }
  const std::string& dir() const { return dir_; }
  std::string ConnectionString() const { return "Provider=SQLite;Data Source=" + path_; }

  std::shared_ptr<data::Connection> Open() const {
    auto cn = data::Connection::New();
    cn->Open(ConnectionString());
    return cn;
  }

  // Runs SQL on a plain SQLite handle, as the stock command-line tool would
  // (none of the data layer's rules installed). Answers "" or the error.
  std::string RawExec(const std::string& sql) const {
    std::string rows;
    return Raw(sql, rows);
  }
  // The rows of a query on a plain SQLite handle, "a|b" per row, ";" between rows.
  std::string RawQuery(const std::string& sql) const {
    std::string rows;
    const std::string error = Raw(sql, rows);
    return error.empty() ? rows : "ERROR: " + error;
  }

 private:
  std::string Raw(const std::string& sql, std::string& rows) const {
    sqlite3* db = nullptr;
    sqlite3_open(path_.c_str(), &db);
    sqlite3_busy_timeout(db, 5000);
    char* err = nullptr;
    sqlite3_exec(
        db, sql.c_str(),
        [](void* p, int n, char** values, char**) {
          auto* s = static_cast<std::string*>(p);
          if (!s->empty()) *s += ";";
          for (int i = 0; i < n; ++i) *s += (i ? "|" : "") + std::string(values[i] ? values[i] : "NULL");
          return 0;
        },
        &rows, &err);
    std::string text = err ? err : "";
    sqlite3_free(err);
    sqlite3_close(db);
    return text;
  }
  testfs::TempFolder folder_;
  std::string dir_;
  std::string path_;
};

// A value as "Type:text" ("Long:3", "String:abc", "Null").
inline std::string Show(const rt::Variant& v) { return Golden::Value(v); }

// Every remaining row of a recordset, "A=Long:1 B=String:x" per line.
inline std::string Render(data::Recordset& rs) {
  std::string out;
  while (!rs.Eof()) {
    for (int32_t i = 0; i < rs.FieldCount(); ++i) {
      out += (i ? " " : "") + rs.Column(i).name + "=" + Show(rs.Value(i));
    }
    out += "\n";
    rs.MoveNext();
  }
  return out;
}

inline std::string Query(const std::shared_ptr<data::Connection>& cn, const std::string& sql) {
  auto rs = cn->Execute(sql);
  return rs->State() == data::kStateOpen ? Render(*rs) : "(no rows)";
}

// A COM error's number and text, for assertions on failures.
template <class F>
std::string ErrorOf(F&& f) {
  try {
    f();
  } catch (const rt::ComError& e) {
    char buf[16];
    snprintf(buf, sizeof buf, "%08X", static_cast<uint32_t>(e.number()));
    return std::string(buf) + " " + e.description();
  }
  return "no error";
}

// An object with a context of its own, to run code inside a transaction
// (with a stream) or a plain context.
struct ContextOwner : rt::Object {
  explicit ContextOwner(bool transactional) {
    AttachContext(std::make_shared<rt::ObjectContext>(
        std::make_shared<rt::Activity>(),
        transactional ? std::make_shared<rt::TransactionStream>() : nullptr));
  }
};

}  // namespace testdb
