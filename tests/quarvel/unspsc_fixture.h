// The fixture of the UNSPSC tests: a fresh installation (suitehost init,
// with or without the sample codes) whose catalog the tests fill and read
// with a plain SQLite handle, the classes created as the host creates them,
// a transactional probe for the module procedures, and renderings for
// golden comparisons.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <regex>
#include <string>

#include "interfaces/unspsc.h"
#include "runtime/com_error.h"
#include "runtime/context.h"
#include "runtime/dictionary.h"
#include "runtime/dispatch.h"
#include "runtime/registry.h"
#include "tests/brintor/brintor_sandbox.h"
#include "tests/common/raised_by.h"
#include "tests/common/test_values.h"

namespace unspsctest {

// Runs a test's body inside a method of a catalog-library object that
// requires a transaction, so that the body's connections join it and its
// votes decide it; `abort` votes abort at the end of the body.
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

class UNSPSCTest : public ::testing::Test {
 protected:
  explicit UNSPSCTest(bool sample = false) : sandbox_(sample) {}
  void SetUp() override { rt::Err().Clear(); }

  void Exec(const std::string& sql) const { sandbox_.Exec(sql); }
  // Runs the body on a fresh thread, whose catalog connection string is not
  // cached yet.
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
  std::string Codes() const {
    return Rows("SELECT PARENTCODE, UNSPSCCODE, LEVELNUMBER, DESCRIPTION FROM UNSPSCCODES ORDER BY 1, 2");
  }
  std::string Commodities() const {
    return Rows("SELECT COMMODITYCODE, DESCRIPTION FROM COMMODITY ORDER BY 1");
  }

  // The failure a call raises as one line: "<hex number> <source>: <description>"
  // with each CR LF of a description block shown as "|".
  template <class F>
  static std::string Failure(F&& call) {
    rt::ComError e = RaisedBy(std::forward<F>(call));
    char number[16];
    std::snprintf(number, sizeof number, "%X", static_cast<uint32_t>(e.number()));
    return std::string(number) + " " + e.source() + ": " + std::regex_replace(e.description(), std::regex("\r\n"), "|");
  }

  // "key=Subtype:item" per entry, in order, joined by "; ".
  static std::string Render(const std::shared_ptr<rt::Dictionary>& dictionary) {
    if (!dictionary) return "(nothing)";
    std::string text;
    for (const rt::Dictionary::Entry& e : dictionary->Entries())
      text += (text.empty() ? "" : "; ") + rt::CStr(e.key) + "=" + rt::TypeName(e.item) + ":" + rt::Concat(e.item);
    return text;
  }

  // The log's entries (one a line) that hold `text`.
  int LogEntriesWith(const std::string& text) const {
    std::ifstream in(sandbox_.LogPath(), std::ios::binary);
    int count = 0;
    for (std::string line; std::getline(in, line);) count += line.find(text) != std::string::npos;
    return count;
  }

  // The classes as the host creates them: each a root in a context of its
  // own (TUNSPSC in a transaction that each outermost call ends).
  static std::shared_ptr<IUNSPSC> NewUNSPSC() {
    return std::dynamic_pointer_cast<IUNSPSC>(rt::CreateRootObject("Quarvel.UNSPSC", std::make_shared<rt::Activity>()));
  }
  static std::shared_ptr<ITUNSPSC> NewTUNSPSC() {
    return std::dynamic_pointer_cast<ITUNSPSC>(
        rt::CreateRootObject("Quarvel.TUNSPSC", std::make_shared<rt::Activity>()));
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
    rt::CreateRootObject("Quarvel.TestTransactionalProbe", std::make_shared<rt::Activity>())->Call("Run");
  }

  // Points the catalog connection string at a file that does not exist.
  void BreakConnectionString() const {
    std::ifstream in(sandbox_.ConfigPath());
    std::string config((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    config = std::regex_replace(config, std::regex("\nQuarvel=[^\n]*"), "\nQuarvel=Provider=SQLite;Data Source=/nowhere/catalog.db");
    std::ofstream(sandbox_.ConfigPath(), std::ios::trunc) << config;
  }
  // Sets COMMONPARAMETERS/UNSPSCIMPLEMENTED.
  void SetSwitch(const std::string& value) const {
    std::ifstream in(sandbox_.ConfigPath());
    std::string config((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    config = std::regex_replace(config, std::regex("UNSPSCIMPLEMENTED=[^\n]*"), "UNSPSCIMPLEMENTED=" + value);
    std::ofstream(sandbox_.ConfigPath(), std::ios::trunc) << config;
  }

  std::string DownloadPath(const std::string& name) const { return sandbox_.Site() + "/XMLDownload/" + name; }
  void WriteDownload(const std::string& name, const std::string& text) const {
    std::ofstream(DownloadPath(name), std::ios::binary | std::ios::trunc) << text;
  }

  BrintorSandbox sandbox_;
};

// An installation with the sample codes: segments 14, 43, 44 with families,
// classes and commodities below them (db/sample/06_unspsc.sql).
class SampleUNSPSCTest : public UNSPSCTest {
 protected:
  SampleUNSPSCTest() : UNSPSCTest(true) {}
};

}  // namespace unspsctest
