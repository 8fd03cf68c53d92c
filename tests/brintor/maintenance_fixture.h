// The fixtures of the write side: partner maintenance, the transactional
// currency and user classes. Objects made as the host makes them or joined
// to a caller's transaction (to see their votes), result objects rendered
// as text, and a referential checker that records what it is asked.
#pragma once

#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data/sqlite_text_rules.h"
#include "data/testing/fault_sweep.h"
#include "interfaces/tcurrency.h"
#include "interfaces/tuser.h"
#include "runtime/dispatch.h"
#include "tests/brintor/brintor_fixture.h"
#include "tests/common/recording_fake.h"

// A root class that requires a transaction; Run runs the test's body in it.
class TestRoot : public rt::Object {
 public:
  const rt::DispatchTable* Dispatch() const override {
    static const rt::DispatchTable table =
        rt::DispatchBuilder<TestRoot>("TestRoot").Method("Run", &TestRoot::Run).Build();
    return &table;
  }
  void Run() { body(); }
  static inline std::function<void()> body;
};

// Runs `body` as one method of a new transactional root: the transaction
// commits when it returns unless a vote doomed it.
inline void InTransaction(std::function<void()> body,
                          std::shared_ptr<rt::Activity> activity = std::make_shared<rt::Activity>()) {
  rt::RegisterClass({"Test.Root", "", rt::TransactionAttribute::Required,
                     [] { return rt::ObjectPtr(std::make_shared<TestRoot>()); }});
  TestRoot::body = std::move(body);
  rt::CreateRootObject("Test.Root", std::move(activity))->Call("Run");
}
// Inside InTransaction: whether an abort vote has doomed the transaction.
inline bool Doomed() { return rt::GetObjectContext()->CurrentTransaction()->Doomed(); }

// How a caller's transaction ends, "commit" or "rollback", when `call` on
// an object of `progId` sharing the caller's context is all it does. The
// object's vote replaces the caller's: with `presetAbort` the caller voted
// abort first, so "commit" means the object voted commit; without,
// "rollback" means it voted abort.
template <class I>
std::string Ending(const char* progId, std::shared_ptr<rt::Activity> activity,
                   const std::function<void(Maintained<I>&)>& call, bool presetAbort) {
  struct Caller : rt::Object {};
  struct Probe : rt::TransactionResource {
    explicit Probe(std::string& o) : outcome(o) {}
    void Commit() override { outcome = "commit"; }
    void Rollback() override { outcome = "rollback"; }
    std::string& outcome;
  };
  auto caller = std::make_shared<Caller>();
  caller->AttachContext(std::make_shared<rt::ObjectContext>(activity, std::make_shared<rt::TransactionStream>()));
  Maintained<I> object{rt::CreateObject(progId)};
  object.object->AttachContext(caller->Context());
  std::string outcome;
  try {
    rt::ContextScope scope(*caller);
    rt::GetObjectContext()->CurrentTransaction()->Enlist("probe", std::make_shared<Probe>(outcome));
    if (presetAbort) rt::GetObjectContext()->SetAbort();
    rt::TryResume([&] { call(object); });
  } catch (const rt::ComError&) {
    // A commit vote in a transaction that another object doomed.
  }
  rt::Err().Clear();
  return outcome;
}

// "ok" or "failed", the codes in order, then the record values:
// "failed SLBBR9000:PRICINGMETHOD SLBCO2014", "ok ADDRESSID=Long:6";
// "(nothing)" for no result.
inline std::string Outcome(const rt::ObjectPtr& result) {
  if (!result) return "(nothing)";
  std::string text = rt::CBool(result->Call("Succeeded")) ? "ok" : "failed";
  const rt::Variant messages = result->Call("GetMessages");
  for (const rt::Variant& code : messages.AsArray().data) text += " " + rt::CStr(code);
  const rt::Variant records = result->Call("GetRecordValues");
  const rt::ObjectPtr* dictionary = records.Get<rt::ObjectPtr>();
  const std::string values = dictionary ? BrintorTest::Render(*dictionary) : std::string();
  return values.empty() || values == "(nothing)" ? text : text + " " + values;
}

using Entries = std::initializer_list<std::pair<const char*, rt::Variant>>;
// A data object of `kind` (none when null) holding the entries.
inline std::shared_ptr<rt::Dictionary> DataObject(const char* kind, Entries entries) {
  auto bdo = rt::NewDictionary();
  if (kind) bdo->Add(rt::Variant("METAObjectID"), rt::Variant(kind));
  for (const auto& [key, value] : entries) bdo->Add(rt::Variant(key), value);
  return bdo;
}

// How a write answered, for the fault sweep: a result object or a flag.
using Answer = data::testing::Outcome;
inline Answer Of(bool done) { return done ? Answer::Succeeded : Answer::Refused; }
inline Answer Of(const rt::ObjectPtr& result) { return Of(result && rt::CBool(result->Call("Succeeded"))); }

// Sweeps each write, made by a new object of its own, on the catalog at
// `catalog`; answers each one's problems under its name ("" when none).
template <class Object>
std::string SweepAll(const std::string& catalog, const std::function<Object()>& make,
                     const std::vector<std::pair<const char*, std::function<Answer(Object&)>>>& writes) {
  data::testing::FaultEngine engine;
  const auto target = data::testing::DatabaseTarget(catalog);
  std::string problems;
  for (const auto& [name, write] : writes) {
    auto report = data::testing::SweepFaults(engine, target, [&] {
      Object object = make();
      return write(object);
    });
    if (!report.Problems().empty()) problems += std::string(name) + ":\n" + report.Problems();
  }
  return problems;
}

class PartnerMaintenanceTest : public PartnerTest {
 protected:
  // Inside InTransaction: a partner object in the root's transaction.
  static Partner JoinedPartner() { return Partner{rt::GetObjectContext()->CreateInstance("Brintor.BusinessPartner")}; }

  // One of a result object's record values.
  static rt::Variant RecordValue(const rt::ObjectPtr& result, const char* name) {
    const rt::Variant values = result->Call("GetRecordValues");
    return (*values.Get<rt::ObjectPtr>())->Call("Item", {rt::Variant(name)});
  }
  // The outcome of BusinessRules_Insert or _Update on a data object.
  static std::string Insert(const Partner& bp, const char* kind, Entries entries) {
    return Outcome(bp.Rules().BusinessRules_Insert(DataObject(kind, entries)));
  }
  static std::string Update(const Partner& bp, const char* kind, Entries entries) {
    return Outcome(bp.Rules().BusinessRules_Update(DataObject(kind, entries)));
  }
};

// The transactional currency writer over an installation whose currency
// tables each test fills.
class TCurrencyTest : public CurrencyTest {
 public:
  using Writer = Maintained<ITCurrency>;

 protected:
  // As the host makes it: the root of a context with a transaction of its own.
  static Writer NewWriter() {
    return Writer{rt::CreateRootObject("Brintor.TCurrency", std::make_shared<rt::Activity>())};
  }
  // Plain creation: no context, so no transaction and no votes.
  static Writer PlainWriter() { return Writer{rt::CreateObject("Brintor.TCurrency")}; }
  static std::string Vote(const std::function<void(Writer&)>& call) {
    return Ending<ITCurrency>("Brintor.TCurrency", std::make_shared<rt::Activity>(), call, false);
  }

  // The rows of a query on the catalog database, fields joined by "|", rows
  // by "; " (Null as "null").
  std::string Table(const std::string& sql) const {
    return Golden::Query(sandbox_.CatalogPath(), sql, GoldenRowText::Joined("; "));
  }
  std::string Rates(const std::string& code) const {
    return Table("SELECT EFFECTIVEDATE, EXPIRYDATE, HOMESALESRATE, EUROSALESRATE, RATEFACTOR FROM CURRENCYRATE "
                 "WHERE CURRENCYCODE = '" + code + "' ORDER BY EFFECTIVEDATE");
  }

  // A referential registry that lists a referrer of currency codes; the
  // transactional currency class itself answers True for every existing
  // code, so every delete of one is refused.
  void RefuseCurrencyDeletes() const {
    std::ofstream(sandbox_.Site() + "/references.ini", std::ios::trunc)
        << "[CURRENCY]\nKey=CURRENCYCODE\nOwner=Brintor.TCurrency\n"
        << "ReferredBy=Brintor.TCurrency:CURRENCY.CURRENCYCODE\n";
  }
};

// The transactional currency class over the example currencies.
class ExampleTCurrencyTest : public TCurrencyTest {
 protected:
  void SetUp() override {
    TCurrencyTest::SetUp();
    Exec(kExampleCurrencies);
  }
};

// Stands in for "Solvane.ReferentialChecker": records each question as
// "CanInsert OFFICE PROJECTPROP=Long:5,..." and answers from `answers` by
// member name (True when not given); with `fail` every question raises 5.
class RecordingChecker : public rt::Object {
 public:
  const rt::DispatchTable* Dispatch() const override {
    using C = RecordingChecker;
    static const rt::DispatchTable table = rt::DispatchBuilder<C>("ReferentialChecker")
                                               .Method("CanInsert", &C::CanInsert)
                                               .Method("CanUpdate", &C::CanUpdate)
                                               .Method("CanDelete", &C::CanDelete)
                                               .Method("BeforeDelete", &C::BeforeDelete)
                                               .Build();
    return &table;
  }
  bool CanInsert(const std::string&, const std::string& t, const rt::Variant& n, const rt::Variant& v) {
    return Ask("CanInsert", t, n, v);
  }
  bool CanUpdate(const std::string& t, const rt::Variant& n, const rt::Variant& v) { return Ask("CanUpdate", t, n, v); }
  bool CanDelete(const std::string&, const std::string& t, const rt::Variant& n, const rt::Variant& v) {
    return Ask("CanDelete", t, n, v);
  }
  bool BeforeDelete(const std::string& t, const rt::Variant& n, const rt::Variant& v) {
    return Ask("BeforeDelete", t, n, v);
  }

  static inline std::string asked;
  static inline std::map<std::string, bool> answers;
  static inline bool fail = false;

 private:
  static bool Ask(const std::string& member, const std::string& table, const rt::Variant& names,
                  const rt::Variant& values) {
    if (fail) rt::RaiseVb(rt::vberr::kInvalidProcedureCall);
    asked += member + " " + table;
    for (int32_t i = 0; i <= names.AsArray().UBound(); ++i) {
      const rt::Variant& value = values.AsArray().At(i);
      asked += (i ? "," : " ") + rt::CStr(names.AsArray().At(i)) + "=" + Golden::Value(value);
    }
    asked += "\n";
    auto it = answers.find(member);
    return it == answers.end() || it->second;
  }
};

// The transactional user class, made in a context whose web session holds
// the session account's credentials.
class TUserTest : public UserFixture {
 public:
  using Writer = Maintained<ITUser>;

 protected:
  void SetUp() override {
    UserFixture::SetUp();
    RecordingChecker::asked.clear();
    RecordingChecker::answers.clear();
    RecordingChecker::fail = false;
  }

  // The recording checker for the rest of the test.
  static std::unique_ptr<FakeClass> RecordChecker() {
    return std::make_unique<FakeClass>("Solvane.ReferentialChecker",
                                       [] { return rt::ObjectPtr(std::make_shared<RecordingChecker>()); });
  }
  static std::string Asked() { return std::exchange(RecordingChecker::asked, std::string()); }

  static std::shared_ptr<rt::Activity> SessionActivity() {
    auto activity = std::make_shared<rt::Activity>();
    activity->session->SetItem("REMOTE_ACCOUNT", rt::Variant(kAccount));
    activity->session->SetItem("REMOTE_PASSWORD", rt::Variant(kPassword));
    return activity;
  }
  static Writer NewWriter() { return Writer{rt::CreateRootObject("Brintor.TUser", SessionActivity())}; }
  static std::string Ending(const std::function<void(Writer&)>& call, bool presetAbort = false) {
    return ::Ending<ITUser>("Brintor.TUser", SessionActivity(), call, presetAbort);
  }

  // The directory's ids, comma-separated in key order.
  std::string Users() const {
    return Scalar("SELECT group_concat(USERID, ',') FROM (SELECT USERID FROM DIRECTORYENTRY ORDER BY ENTRYKEY)",
                  sandbox_.DirectoryPath());
  }
};
