// The fixture of the transactional user class's tests: writers made as the
// host makes them (a root with the web session's account) or sharing a
// creator's context (to see their votes), a referential checker that
// records what it is asked, and renderings of result objects.
#pragma once

#include <functional>
#include <map>
#include <utility>
#include <memory>
#include <string>
#include <vector>

#include "interfaces/tuser.h"
#include "tests/brintor/partner_maintenance_fixture.h"
#include "tests/common/recording_fake.h"

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
      asked += (i ? "," : " ") + rt::CStr(names.AsArray().At(i)) + "=" + rt::TypeName(value) + ":" + rt::Concat(value);
    }
    asked += "\n";
    auto it = answers.find(member);
    return it == answers.end() || it->second;
  }
};

class TUserTest : public UserFixture {
 public:
  struct Writer {
    rt::ObjectPtr object;
    ITUser* operator->() const { return dynamic_cast<ITUser*>(object.get()); }
    BusinessRules& Rules() const { return *dynamic_cast<BusinessRules*>(object.get()); }
    IReferentialIntegrity& References() const { return *dynamic_cast<IReferentialIntegrity*>(object.get()); }
  };

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
  // As the host makes it: a root with a transaction per outermost call.
  static Writer NewWriter() { return Writer{rt::CreateRootObject("Brintor.TUser", SessionActivity())}; }

  // How the transaction ends, "commit" or "rollback", when `call` is all
  // that a writer sharing its creator's context does. The writer's vote
  // replaces the creator's: with `presetAbort` the creator voted abort, so
  // "commit" means the writer voted commit; without, "rollback" means it
  // voted abort. A call that votes nothing ends "commit", then "rollback".
  static std::string Ending(const std::function<void(Writer&)>& call, bool presetAbort = false) {
    struct Creator : rt::Object {};
    struct Probe : rt::TransactionResource {
      explicit Probe(std::string& o) : outcome(o) {}
      void Commit() override { outcome = "commit"; }
      void Rollback() override { outcome = "rollback"; }
      std::string& outcome;
    };
    auto creator = std::make_shared<Creator>();
    creator->AttachContext(
        std::make_shared<rt::ObjectContext>(SessionActivity(), std::make_shared<rt::TransactionStream>()));
    Writer writer{rt::CreateObject("Brintor.TUser")};
    writer.object->AttachContext(creator->Context());
    std::string outcome;
    try {
      rt::ContextScope scope(*creator);
      rt::GetObjectContext()->CurrentTransaction()->Enlist("probe", std::make_shared<Probe>(outcome));
      if (presetAbort) rt::GetObjectContext()->SetAbort();
      rt::TryResume([&] { call(writer); });
    } catch (const rt::ComError&) {
      // A commit vote in a transaction that another object doomed.
    }
    rt::Err().Clear();
    return outcome;
  }

  // "ok" or "failed", the codes in order, then the record values.
  static std::string Outcome(const rt::ObjectPtr& result) {
    if (!result) return "(nothing)";
    std::string text = rt::CBool(result->Call("Succeeded")) ? "ok" : "failed";
    const rt::Variant messages = result->Call("GetMessages");
    for (const rt::Variant& code : messages.AsArray().data) text += " " + rt::CStr(code);
    const rt::Variant records = result->Call("GetRecordValues");
    const std::string values = records.IsObject() && records.AsObject() ? Render(records.AsObject()) : "";
    return values.empty() ? text : text + " " + values;
  }

  static rt::Variant Texts(std::vector<rt::Variant> items) { return Array(std::move(items)); }

  // The directory's ids, comma-separated in key order.
  std::string Users() const {
    return Scalar("SELECT group_concat(USERID, ',') FROM (SELECT USERID FROM DIRECTORYENTRY ORDER BY ENTRYKEY)",
                  sandbox_.DirectoryPath());
  }
  // Runs `body` as the method of a new transactional root.
  static void InTransaction(std::function<void()> body) {
    rt::RegisterClass({"Test.TUserRoot", "", rt::TransactionAttribute::Required,
                       [] { return rt::ObjectPtr(std::make_shared<TestRoot>()); }});
    TestRoot::body = std::move(body);
    rt::CreateRootObject("Test.TUserRoot", SessionActivity())->Call("Run");
  }
};
