// The fixture of the UNSPSC tests: a fresh installation (suitehost init,
// with or without the sample codes) read with a plain SQLite handle, the
// classes created as the host creates them, a transactional probe for the
// module procedures, and renderings for golden comparisons.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <regex>
#include <string>

#include "interfaces/unspsc.h"
#include "runtime/context.h"
#include "runtime/dispatch.h"
#include "runtime/registry.h"
#include "tests/brintor/brintor_sandbox.h"
#include "tests/common/raised_by.h"
#include "tests/common/test_values.h"

namespace unspsctest {

// Runs a test's body as a method of a catalog object that requires a
// transaction: the body's connections join it and its votes decide it.
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
  // Runs the body on a fresh thread, whose connection string is not cached yet.
  template <class F>
  static void Run(F&& body) {
    BrintorSandbox::Run(std::forward<F>(body));
  }

  // A query's rows on a plain SQLite handle, one a line, fields joined by "|".
  std::string Rows(const std::string& sql) const {
    sqlite3* db = nullptr;
    sqlite3_open(sandbox_.CatalogPath().c_str(), &db);
    sqlite3_stmt* st = nullptr;
    std::string text = sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK ? "" : "(error)";
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
  // The code rows, then the commodities.
  std::string Stored() const {
    return Rows("SELECT PARENTCODE, UNSPSCCODE, LEVELNUMBER, DESCRIPTION FROM UNSPSCCODES ORDER BY 1, 2") +
           Rows("SELECT 'commodity ' || COMMODITYCODE, DESCRIPTION FROM COMMODITY ORDER BY 1");
  }

  // A failure as "<hex number> <source>: <description>", CR LF shown as "|".
  template <class F>
  static std::string Failure(F&& call) {
    rt::ComError e = RaisedBy(std::forward<F>(call));
    char number[16];
    std::snprintf(number, sizeof number, "%X", static_cast<uint32_t>(e.number()));
    return std::string(number) + " " + e.source() + ": " + std::regex_replace(e.description(), std::regex("\r\n"), "|");
  }
  // "key=Subtype:item" per entry, in order, joined by "; ".
  static std::string Render(const std::shared_ptr<rt::Dictionary>& dictionary) {
    std::string text;
    for (const rt::Dictionary::Entry& e : dictionary->Entries())
      text += (text.empty() ? "" : "; ") + rt::CStr(e.key) + "=" + rt::TypeName(e.item) + ":" + rt::Concat(e.item);
    return text;
  }
  int LogEntriesWith(const std::string& text) const {
    std::ifstream in(sandbox_.LogPath(), std::ios::binary);
    int count = 0;
    for (std::string line; std::getline(in, line);) count += line.find(text) != std::string::npos;
    return count;
  }

  // The classes as the host creates them: each the root of a context of its
  // own (TUNSPSC's transaction ends with each outermost call).
  static std::shared_ptr<IUNSPSC> NewUNSPSC() {
    return std::dynamic_pointer_cast<IUNSPSC>(rt::CreateRootObject("Quarvel.UNSPSC", std::make_shared<rt::Activity>()));
  }
  static std::shared_ptr<ITUNSPSC> NewTUNSPSC() {
    return std::dynamic_pointer_cast<ITUNSPSC>(rt::CreateRootObject("Quarvel.TUNSPSC", std::make_shared<rt::Activity>()));
  }
  static void InTransaction(std::function<void()> body) {
    rt::RegisterClass({"Quarvel.TestTransactionalProbe", "", rt::TransactionAttribute::Required,
                       [] { return rt::ObjectPtr(std::make_shared<TransactionalProbe>()); }});
    TransactionalProbe::body = std::move(body);
    rt::CreateRootObject("Quarvel.TestTransactionalProbe", std::make_shared<rt::Activity>())->Call("Run");
  }

  // Replaces a line of the configuration ("UNSPSCIMPLEMENTED=", "Quarvel=").
  void Configure(const std::string& key, const std::string& value) const {
    std::ifstream in(sandbox_.ConfigPath());
    std::string config((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    config = std::regex_replace(config, std::regex("\n" + key + "=[^\n]*"), "\n" + key + "=" + value);
    std::ofstream(sandbox_.ConfigPath(), std::ios::trunc) << config;
  }
  void BreakConnectionString() const { Configure("Quarvel", "Provider=SQLite;Data Source=/nowhere/catalog.db"); }
  static constexpr const char* kNoDatabase =
      "80004005 SQLite: |ERROR 0x80004005| METHOD: %s| DESC: Cannot open the database '/nowhere/catalog.db': "
      "unable to open database file.|";
  static std::string NoDatabase(const std::string& method) {
    return std::regex_replace(kNoDatabase, std::regex("%s"), method);
  }

  std::string DownloadPath(const std::string& name) const { return sandbox_.Site() + "/XMLDownload/" + name; }
  void WriteDownload(const std::string& name, const std::string& text) const {
    std::ofstream(DownloadPath(name), std::ios::binary | std::ios::trunc) << text;
  }

  BrintorSandbox sandbox_;
};

// With the sample codes: segments 14, 43, 44 with families, classes and
// commodities below them (db/sample/06_unspsc.sql).
class SampleUNSPSCTest : public UNSPSCTest {
 protected:
  SampleUNSPSCTest() : UNSPSCTest(true) {}
};

}  // namespace unspsctest
