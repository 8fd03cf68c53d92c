// The fixture of the reference-data tests: a fresh installation (made by
// `suitehost init`, with or without the sample data) whose catalog database
// the tests fill and read with a plain SQLite handle, objects created as the
// host creates them (the root of a context, in a transaction of their own
// when the class asks for one), and renderings for golden comparisons.
//
// The catalog library caches its connection string per thread, so every
// test body runs on a fresh thread: Run(fn).
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <regex>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "data/connection.h"
#include "data/recordset.h"
#include "runtime/com_error.h"
#include "runtime/context.h"
#include "runtime/dictionary.h"
#include "runtime/dispatch.h"
#include "runtime/registry.h"
#include "tests/brintor/brintor_sandbox.h"
#include "tests/common/raised_by.h"
#include "tests/common/test_values.h"

class ReferenceTest : public ::testing::Test {
 protected:
  explicit ReferenceTest(bool sample = false) : sandbox_(sample) {}
  void SetUp() override { rt::Err().Clear(); }

  template <class F>
  static void Run(F&& f) {
    BrintorSandbox::Run(std::forward<F>(f));
  }
  void Exec(const std::string& sql) const { sandbox_.Exec(sql); }


 public:
  // An object of the class as the host makes it, seen through interface I.
  template <class I>
  struct Object {
    rt::ObjectPtr object;
    I* operator->() const { return dynamic_cast<I*>(object.get()); }
    rt::Variant Call(const char* member, rt::Args args = {}) const {
      return object->Invoke(member, rt::CallKind::Method, args);
    }
  };
  template <class I>
  static Object<I> New(const char* progId) {
    return Object<I>{rt::CreateRootObject(progId, std::make_shared<rt::Activity>())};
  }

 protected:
  // The rows of a query, one a line, columns joined by "|" (NULL as "null").
  std::string Rows(const std::string& sql) const {
    sqlite3* db = nullptr;
    sqlite3_open(sandbox_.CatalogPath().c_str(), &db);
    sqlite3_stmt* st = nullptr;
    std::string text;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) text = "(error)";
    while (st && sqlite3_step(st) == SQLITE_ROW) {
      for (int i = 0; i < sqlite3_column_count(st); ++i) {
        const unsigned char* value = sqlite3_column_text(st, i);
        text += (i ? "|" : "") + (value ? std::string(reinterpret_cast<const char*>(value)) : "null");
      }
      text += "\n";
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return text;
  }

  // Every row of the tables the reference classes write, in key order: two
  // snapshots are equal when a call left the data as it was.
  std::string Snapshot() const {
    std::string text;
    for (const char* table : {"UNIT", "HAZARDOUSCLASS", "PROPERTY", "PROPERTYENUM", "PROPERTYGROUP",
                              "PROPSBYPROPGROUP", "PRODUCTPROPVALUE", "FAQISSUE"})
      text += std::string(table) + ":\n" + Rows(std::string("SELECT * FROM ") + table + " ORDER BY 1, 2");
    return text;
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

  // "key=Subtype:value" per entry, in order, joined by "; ".
  static std::string Render(const std::shared_ptr<rt::Dictionary>& dictionary) {
    if (!dictionary) return "(nothing)";
    std::string text;
    for (const rt::Dictionary::Entry& e : dictionary->Entries()) {
      if (!text.empty()) text += "; ";
      text += rt::CStr(e.key) + "=" + rt::TypeName(e.item) + ":" + rt::Concat(e.item);
    }
    return text;
  }

  // The log's entries (one a line).
  int LogEntries() const {
    std::ifstream in(sandbox_.LogPath(), std::ios::binary);
    int count = 0;
    for (std::string line; std::getline(in, line);) ++count;
    return count;
  }

  // Runs `body` inside a transactional catalog object that first writes a
  // marker row in its transaction and votes commit (abort when `commit` is
  // false) at the end; `body` creates the classes under test through that
  // object's context, so they join its transaction. Answers whether the
  // marker stayed: false when an object in the transaction voted abort.
  bool CallerKeepsItsWork(const std::function<void()>& body, bool commit = true) {
    rt::RegisterClass({"Quarvel.TestCaller", "", rt::TransactionAttribute::Required,
                       [] { return rt::ObjectPtr(std::make_shared<Caller>()); }});
    Caller::body = [&] {
      ExecHere("INSERT INTO FAQCATEGORY VALUES (999, 'marker')");
      body();
      if (commit) {
        rt::GetObjectContext()->SetComplete();
      } else {
        rt::GetObjectContext()->SetAbort();
      }
    };
    rt::ObjectPtr caller = rt::CreateRootObject("Quarvel.TestCaller", std::make_shared<rt::Activity>());
    try {
      caller->Call("Run");
    } catch (const rt::ComError& e) {
      // A transaction that ends without committing although the caller voted commit.
      if (e.number() != rt::hr::kTransactionAborted) throw;
    }
    const bool kept = Rows("SELECT * FROM FAQCATEGORY WHERE FAQCATEGORYID = 999") != "";
    Exec("DELETE FROM FAQCATEGORY WHERE FAQCATEGORYID = 999");
    return kept;
  }
  // Runs SQL through the data layer on a connection of the running object's
  // context (so inside its transaction); the rows as Rows() renders them.
  std::string ExecHere(const std::string& sql) const {
    auto cn = data::Connection::New();
    cn->Open(sandbox_.ConnectionString());
    std::shared_ptr<data::Recordset> rs = cn->Execute(sql);
    std::string text;
    for (; rs->State() == data::kStateOpen && !rs->Eof(); rs->MoveNext()) {
      for (int32_t i = 0; i < rs->FieldCount(); ++i) {
        const rt::Variant value = rs->Value(i);
        text += (i ? "|" : "") + (value.IsNull() ? std::string("null") : rt::CStr(value));
      }
      text += "\n";
    }
    cn->Close();
    return text;
  }

  // An object of the class created in the running object's context.
  template <class I>
  static Object<I> Inner(const char* progId) {
    return Object<I>{rt::GetObjectContext()->CreateInstance(progId)};
  }

  // Writes the installation's referential registry: the standard one with
  // each addition's lines put after the line that it names (such as
  // "Key=UNITCODE").
  void WriteRegistry(const std::vector<std::pair<std::string, std::string>>& additions = {}) const {
    std::ifstream in(std::string(SUITE_SOURCE_DIR) + "/db/references.ini", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const auto& [line, lines] : additions) {
      const size_t at = text.find(line + "\n");
      if (at == std::string::npos) throw std::runtime_error("no line " + line + " in the registry");
      text.insert(at + line.size() + 1, lines + "\n");
    }
    std::ofstream(sandbox_.Site() + "/references.ini", std::ios::binary | std::ios::trunc) << text;
  }

  BrintorSandbox sandbox_;

 private:
  class Caller : public rt::Object {
   public:
    const rt::DispatchTable* Dispatch() const override {
      static const rt::DispatchTable table =
          rt::DispatchBuilder<Caller>("TestCaller").Method("Run", &Caller::Run).Build();
      return &table;
    }
    void Run() {
      rt::ContextScope scope(*this);
      body();
    }
    static inline thread_local std::function<void()> body;
  };
};

// A class of the catalog library for the checker to ask: its Exists
// answers `answer` for every key, so that a registry line naming it makes
// the checker refuse (true) or allow (false) every delete.
template <bool answer>
class FixedReferrer : public rt::Object {
 public:
  const rt::DispatchTable* Dispatch() const override {
    static const rt::DispatchTable table = rt::DispatchBuilder<FixedReferrer>("FixedReferrer")
                                               .Method("IReferentialIntegrity_Exists", &FixedReferrer::Exists)
                                               .Build();
    return &table;
  }
  bool Exists(const std::string&, const rt::Variant&, const rt::Variant&) { return answer; }
  // Registers the class as "Quarvel.TestReferrer".
  static void Register() {
    rt::RegisterClass({"Quarvel.TestReferrer", "", rt::TransactionAttribute::None,
                       [] { return rt::ObjectPtr(std::make_shared<FixedReferrer>()); }});
  }
};

// The sample installation: units, hazard classes, properties 1 Colour
// (default Black), 2 Size (M), 3 Voltage (230), 4 Expiry date (Null), 5
// Supplier reference (external); groups 1 Apparel (1, 2), 2 Electrical (3,
// 4), 10 Office requisitions (1, 4); commodities APPAREL (1) and ELECTRICAL
// (2); products SHIRT-100 and GLOVE-200 (group 1), LAMP-300 and BATT-400 (2).
class SampleReferenceTest : public ReferenceTest {
 protected:
  SampleReferenceTest() : ReferenceTest(true) {}
};
