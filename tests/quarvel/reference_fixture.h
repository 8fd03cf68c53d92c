// The catalog library's installation fixture: BrintorTest (a fresh `suitehost
// init`, Run, Failure, Render, the log) plus objects created as the host
// creates them, tables as text, a transactional caller, and the registry.
#pragma once

#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <regex>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

#include "data/connection.h"
#include "data/sqlite_text_rules.h"
#include "interfaces/referential_integrity.h"
#include "runtime/dispatch.h"
#include "tests/brintor/brintor_fixture.h"
#include "tests/common/recording_fake.h"
#include "tests/quarvel/quarvel_probe.h"

// A component answering the checker's questions as told, logging each.
class FakeOwner : public rt::Object, public IReferentialIntegrity {
 public:
  FakeOwner(bool answer, std::shared_ptr<std::vector<std::string>> log) : answer_(answer), log_(std::move(log)) {}
  const rt::DispatchTable* Dispatch() const override {
    static const rt::DispatchTable table =
        rt::DispatchBuilder<FakeOwner>("FakeOwner")
            .Method("IReferentialIntegrity_Exists", &FakeOwner::IReferentialIntegrity_Exists)
            .Method("IReferentialIntegrity_BeforeDelete", &FakeOwner::IReferentialIntegrity_BeforeDelete)
            .Build();
    return &table;
  }
  bool IReferentialIntegrity_Exists(const std::string& origin, const rt::Variant& keys,
                                    const rt::Variant& values) override {
    const rt::Variant& value = values.AsArray().At(0);
    log_->push_back("Exists(" + origin + ", " + rt::CStr(keys.AsArray().At(0)) + "=" + Golden::Value(value) + ")");
    return answer_;
  }
  bool IReferentialIntegrity_BeforeDelete(const std::string&, const rt::Variant&, const rt::Variant&) override {
    return true;
  }

 private:
  bool answer_;
  std::shared_ptr<std::vector<std::string>> log_;
};

class ReferenceTest : public BrintorTest {
 public:
  // An object as the host makes it (New: a root; Inner: in the running
  // object's context and transaction), seen through interface I.
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
  template <class I>
  static Object<I> Inner(const char* progId) {
    return Object<I>{rt::GetObjectContext()->CreateInstance(progId)};
  }

  // What a call answers as Golden::Value shows it ("done" for none), or
  // its failure as Failure shows it.
  template <class F>
  static std::string Answer(F&& call) {
    try {
      if constexpr (std::is_void_v<decltype(call())>) {
        call();
        return "done";
      } else {
        return Golden::Value(rt::Variant(call()));
      }
    } catch (const rt::ComError& e) {
      return Failure([&] { throw e; });
    }
  }

  // The parts joined; a braced list evaluates them in turn, which a chain
  // of + does not promise.
  static std::string InOrder(std::initializer_list<std::string> parts) {
    std::string text;
    for (const std::string& part : parts) text += part;
    return text;
  }

 protected:
  explicit ReferenceTest(bool sample = false) : BrintorTest(sample) {}
  void TearDown() override { ::unsetenv("SUITE_REFERENCES"); }

  // Makes `text` the checker's registry for the rest of the test.
  void UseReferences(const std::string& text) const {
    const std::string path = sandbox_.Site() + "/test-references.ini";
    std::ofstream(path, std::ios::trunc) << text;
    ::setenv("SUITE_REFERENCES", path.c_str(), 1);
  }

  // Registers as `progId` an owner answering every existence question with
  // `answer`, logging each ("Exists(origin, KEY=Subtype:value)").
  static std::unique_ptr<FakeClass> Owner(const std::string& progId, bool answer,
                                          const std::shared_ptr<std::vector<std::string>>& log =
                                              std::make_shared<std::vector<std::string>>()) {
    return std::make_unique<FakeClass>(
        progId, [answer, log] { return rt::ObjectPtr(std::make_shared<FakeOwner>(answer, log)); });
  }

  // A query's rows, one a line, "|"-joined, NULL as "null"; on a connection
  // of the running object's context when `here`, else a plain SQLite handle.
  std::string Rows(const std::string& sql, bool here = false) const {
    if (!here) return RowsOf(sql);
    auto cn = data::Connection::New();
    cn->Open(sandbox_.ConnectionString());
    std::shared_ptr<data::Recordset> rs = cn->Execute(sql);
    return rs->State() == data::kStateOpen ? BrintorTest::Rows(rs) : "";
  }

  // A paged list as "<page count>:" and the column's values on the page.
  static std::string Page(const rt::ObjectPtr& list, const char* column) {
    std::string text = rt::CStr(list->GetProperty("PageCount")) + ":";
    auto rs = std::dynamic_pointer_cast<data::Recordset>(list->GetProperty("Recordset").AsObject());
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) text += " " + rt::CStr(rs->Value(column));
    return text;
  }

  // Every row of the tables the reference classes write.
  std::string Snapshot() const {
    std::string text;
    for (const char* table : {"UNIT", "HAZARDOUSCLASS", "PROPERTY", "PROPERTYENUM", "PROPERTYGROUP",
                              "PROPSBYPROPGROUP", "PRODUCTPROPVALUE", "FAQISSUE"})
      text += std::string(table) + ":\n" + RowsOf(std::string("SELECT * FROM ") + table + " ORDER BY 1, 2");
    return text;
  }

  // Runs `body` in a transactional caller that writes a marker row, then
  // votes commit (abort unless `commit`); Inner objects join it. Answers
  // whether the marker stayed (false when some object voted abort).
  bool CallerKeepsItsWork(const std::function<void()>& body, bool commit = true) {
    try {
      quarveltest::AsRootProbe("Quarvel.TestCaller", rt::TransactionAttribute::Required, [&] {
        Rows("INSERT INTO FAQCATEGORY VALUES (999, 'marker')", true);
        body();
        commit ? rt::GetObjectContext()->SetComplete() : rt::GetObjectContext()->SetAbort();
      });
    } catch (const rt::ComError& e) {
      if (e.number() != rt::hr::kTransactionAborted) throw;
    }
    const bool kept = !RowsOf("SELECT * FROM FAQCATEGORY WHERE FAQCATEGORYID = 999").empty();
    Exec("DELETE FROM FAQCATEGORY WHERE FAQCATEGORYID = 999");
    return kept;
  }

  // The installation's registry: the standard one with each addition put
  // after the line it names ("Key=UNITCODE").
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

  // Replaces a line of the configuration ("UNSPSCIMPLEMENTED", "Quarvel").
  void Configure(const std::string& key, const std::string& value) const {
    const std::string config = Read(sandbox_.ConfigPath());
    Write(sandbox_.ConfigPath(), std::regex_replace(config, std::regex("\n" + key + "=[^\n]*"), "\n" + key + "=" + value));
  }
  void SetSwitch(const std::string& value) const { Configure("UNSPSCIMPLEMENTED", value); }

  // --- files and lists of the document imports -------------------------------
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "(none)";
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  static void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
  }
  // The part numbers of the elements a file holds, in order.
  static std::string PartNumbersIn(const std::string& path) {
    const std::string text = Read(path);
    std::string found;
    const std::string mark = "buyfrompartnumber=\"";
    for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + 1)) {
      const size_t from = at + mark.size();
      found += (found.empty() ? "" : " ") + text.substr(from, text.find('"', from) - from);
    }
    return found;
  }
  // An import object `C` (as `progId`) whose clock reads `times` (seconds)
  // in turn: at the call's start, then before each part number.
  template <class C>
  static std::shared_ptr<C> Clocked(const char* progId, std::vector<double> times) {
    auto reads = std::make_shared<size_t>(0);
    auto object = std::make_shared<C>([times = std::move(times), reads] {
      return times[std::min((*reads)++, times.size() - 1)];
    });
    rt::ObjectAccess::SetProgId(*object, progId);
    return object;
  }
  // "(lower..upper) a b" for an array.
  static std::string List(const rt::Variant& list) {
    const rt::SafeArray& a = list.AsArray();
    std::string text = "(" + std::to_string(a.LBound()) + ".." + std::to_string(a.UBound()) + ")";
    for (const rt::Variant& v : a.data) text += " " + rt::CStr(v);
    return text;
  }

 private:
  std::string RowsOf(const std::string& sql) const { return Golden::Query(sandbox_.CatalogPath(), sql); }
};

// The sample: properties 1 Colour (Black), 2 Size (M), 3 Voltage (230), 4
// Expiry date (Null), 5 Supplier reference (external); groups 1 Apparel (1,
// 2), 2 Electrical (3, 4), 10 Office requisitions (1, 4); products SHIRT-100,
// GLOVE-200 (group 1), LAMP-300, BATT-400 (2).
class SampleReferenceTest : public ReferenceTest {
 protected:
  SampleReferenceTest() : ReferenceTest(true) {}
};
