// The fixture of the catalog tests: a fresh installation (suitehost init,
// with or without the sample data) whose catalog database the tests fill
// and read with a plain SQLite handle, the two catalog classes created as
// the host creates them (each a root in a context of its own; TCatalog in a
// transaction that each outermost call ends), and renderings for golden
// comparisons.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <regex>
#include <string>

#include "interfaces/catalog.h"
#include "runtime/com_error.h"
#include "runtime/context.h"
#include "runtime/dictionary.h"
#include "runtime/dispatch.h"
#include "runtime/registry.h"
#include "tests/brintor/brintor_sandbox.h"
#include "tests/common/raised_by.h"
#include "tests/common/test_values.h"

namespace catalogtest {

// Runs a test's body inside a method of a catalog-library object that
// requires a transaction, so that the objects it creates in its context
// join that transaction and their votes decide it.
class TransactionalProbe : public rt::Object {
 public:
  const rt::DispatchTable* Dispatch() const override {
    static const rt::DispatchTable table =
        rt::DispatchBuilder<TransactionalProbe>("Probe").Method("Run", &TransactionalProbe::Run).Build();
    return &table;
  }
  void Run() {
    rt::ContextScope scope(*this);
    body();
  }
  static inline thread_local std::function<void()> body;
};

class CatalogTest : public ::testing::Test {
 protected:
  explicit CatalogTest(bool sample = false) : sandbox_(sample) {}
  void SetUp() override { rt::Err().Clear(); }

  void Exec(const std::string& sql) const { sandbox_.Exec(sql); }

  // Runs the body on a fresh thread, whose catalog connection string is not
  // cached yet (each test has a database of its own).
  template <class F>
  static void Run(F&& body) {
    BrintorSandbox::Run(std::forward<F>(body));
  }

  // The rows of a query on a plain SQLite handle, one a line, fields joined
  // by "|" (NULL as "null").
  std::string Rows(const std::string& sql) const {
    sqlite3* db = nullptr;
    sqlite3_open(sandbox_.CatalogPath().c_str(), &db);
    sqlite3_busy_timeout(db, 5000);
    std::string text;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) text = "(error)";
    while (st && sqlite3_step(st) == SQLITE_ROW) {
      for (int i = 0; i < sqlite3_column_count(st); ++i) {
        const unsigned char* v = sqlite3_column_text(st, i);
        text += (i ? "|" : "") + (v ? std::string(reinterpret_cast<const char*>(v)) : std::string("null"));
      }
      text += "\n";
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return text;
  }

  // Every catalog and node, for comparing the database before and after.
  std::string CatalogTables() const {
    return Rows("SELECT * FROM CATALOG ORDER BY CATALOGID") + "--\n" +
           Rows("SELECT * FROM CATALOGNODE ORDER BY NODEID");
  }

  // The failure a call raises as one line: "<hex number> <source>: <description>"
  // with each CR LF of a description block shown as "|".
  template <class F>
  static std::string Failure(F&& call) {
    rt::ComError e = RaisedBy(std::forward<F>(call));
    char number[16];
    std::snprintf(number, sizeof number, "%X", static_cast<uint32_t>(e.number()));
    return std::string(number) + " " + e.source() + ": " +
           std::regex_replace(e.description(), std::regex("\r\n"), "|");
  }

  // "Type:key=Type:item" per entry, in order, joined by "; "; arrays as
  // "(Type:a, Type:b)".
  static std::string Render(const std::shared_ptr<rt::Dictionary>& dictionary) {
    if (!dictionary) return "(nothing)";
    std::string text;
    for (const rt::Dictionary::Entry& e : dictionary->Entries())
      text += (text.empty() ? "" : "; ") + Value(e.key) + "=" + Value(e.item);
    return text;
  }
  static std::string Value(const rt::Variant& v) {
    if (!v.IsArray()) return rt::TypeName(v) + ":" + rt::Concat(v);
    std::string text;
    for (const rt::Variant& item : v.AsArray().data) text += (text.empty() ? "" : ", ") + Value(item);
    return rt::TypeName(v) + "(" + text + ")";
  }
  // The items of a collection in order, each as "Type:value".
  static std::string Render(const std::shared_ptr<rt::Collection>& collection) {
    if (!collection) return "(nothing)";
    std::string text;
    for (int32_t i = 1; i <= collection->Count(); ++i)
      text += (i > 1 ? "; " : "") + Value(collection->Item(rt::Variant(i)));
    return text;
  }

  // The log's entries (one a line) that hold `text`.
  int LogEntriesWith(const std::string& text) const {
    std::ifstream in(sandbox_.LogPath(), std::ios::binary);
    int count = 0;
    for (std::string line; std::getline(in, line);) count += line.find(text) != std::string::npos;
    return count;
  }

  static std::shared_ptr<ICatalog> NewCatalog() {
    return std::dynamic_pointer_cast<ICatalog>(NewLate("Quarvel.Catalog"));
  }
  static std::shared_ptr<ITCatalog> NewTCatalog() {
    return std::dynamic_pointer_cast<ITCatalog>(NewLate("Quarvel.TCatalog"));
  }
  static rt::ObjectPtr NewLate(const char* progId) {
    return rt::CreateRootObject(progId, std::make_shared<rt::Activity>());
  }

  // Runs `body` as a method of an object that requires a transaction; the
  // transaction ends with the method, committed unless a vote aborted it.
  static void InTransaction(std::function<void()> body) {
    rt::RegisterClass({"Quarvel.TestTransactionalProbe", "", rt::TransactionAttribute::Required,
                       [] { return rt::ObjectPtr(std::make_shared<TransactionalProbe>()); }});
    TransactionalProbe::body = std::move(body);
    NewLate("Quarvel.TestTransactionalProbe")->Call("Run");
  }

  // Sets COMMONPARAMETERS/UNSPSCIMPLEMENTED.
  void SetSwitch(const std::string& value) const {
    std::ifstream in(sandbox_.ConfigPath());
    std::string config((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    config = std::regex_replace(config, std::regex("UNSPSCIMPLEMENTED=[^\n]*"), "UNSPSCIMPLEMENTED=" + value);
    std::ofstream(sandbox_.ConfigPath(), std::ios::trunc) << config;
  }

  BrintorSandbox sandbox_;
};

// An installation with the sample data (db/sample/).
class SampleCatalogTest : public CatalogTest {
 protected:
  SampleCatalogTest() : CatalogTest(true) {}
};

}  // namespace catalogtest
