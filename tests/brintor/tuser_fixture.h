// The fixture of the transactional user class's tests: writers made as the
// host makes them (a root with the web session's account), a transactional
// root that runs a test body in its method, a referential checker that
// records what it is asked, and renderings of result objects and tables.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "interfaces/referential_integrity.h"
#include "interfaces/tuser.h"
#include "runtime/dispatch.h"
#include "tests/brintor/brintor_fixture.h"
#include "tests/common/recording_fake.h"

// Stands in for "Solvane.ReferentialChecker": records each question as
// "CanInsert OFFICE PROJECTPROP=Empty:,..." and answers from `answers`
// by member name (True when not given).
class RecordingChecker : public rt::Object {
 public:
  const rt::DispatchTable* Dispatch() const override {
    static const rt::DispatchTable table = rt::DispatchBuilder<RecordingChecker>("ReferentialChecker")
                                               .Method("CanInsert", &RecordingChecker::CanInsert)
                                               .Method("CanUpdate", &RecordingChecker::CanUpdate)
                                               .Method("CanDelete", &RecordingChecker::CanDelete)
                                               .Method("BeforeDelete", &RecordingChecker::BeforeDelete)
                                               .Build();
    return &table;
  }
  bool CanInsert(const std::string&, const std::string& table, const rt::Variant& n, const rt::Variant& v) {
    return Ask("CanInsert", table, n, v);
  }
  bool CanUpdate(const std::string& table, const rt::Variant& n, const rt::Variant& v) {
    return Ask("CanUpdate", table, n, v);
  }
  bool CanDelete(const std::string&, const std::string& table, const rt::Variant& n, const rt::Variant& v) {
    return Ask("CanDelete", table, n, v);
  }
  bool BeforeDelete(const std::string& table, const rt::Variant& n, const rt::Variant& v) {
    return Ask("BeforeDelete", table, n, v);
  }

  static inline std::vector<std::string> asked;
  static inline std::map<std::string, bool> answers;
  static inline bool fail = false;  // every question raises 5

 private:
  bool Ask(const std::string& member, const std::string& table, const rt::Variant& names, const rt::Variant& values) {
    if (fail) rt::RaiseVb(rt::vberr::kInvalidProcedureCall);
    std::string line = member + " " + table;
    const rt::SafeArray& n = names.AsArray();
    for (int32_t i = n.LBound(); i <= n.UBound(); ++i) {
      line += (i == n.LBound() ? " " : ",") + rt::CStr(n.At(i)) + "=" + rt::TypeName(values.AsArray().At(i)) + ":" +
              rt::Concat(values.AsArray().At(i));
    }
    asked.push_back(line);
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

  // The checker for the rest of the test.
  std::unique_ptr<FakeClass> RecordChecker() {
    return std::make_unique<FakeClass>("Solvane.ReferentialChecker",
                                       [] { return rt::ObjectPtr(std::make_shared<RecordingChecker>()); });
  }
  static std::string Asked() {
    std::string text;
    for (const std::string& line : RecordingChecker::asked) text += line + "\n";
    RecordingChecker::asked.clear();
    return text;
  }

  static std::shared_ptr<rt::Activity> SessionActivity() {
    auto activity = std::make_shared<rt::Activity>();
    activity->session->SetItem("REMOTE_ACCOUNT", rt::Variant(kAccount));
    activity->session->SetItem("REMOTE_PASSWORD", rt::Variant(kPassword));
    return activity;
  }
  // As the host makes it: a root with a transaction per outermost call.
  static Writer NewWriter() { return Writer{rt::CreateRootObject("Brintor.TUser", SessionActivity())}; }

  // How the transaction ends when `call` is all that a writer sharing its
  // creator's context does: "commit" or "rollback". The writer's vote
  // replaces the creator's: with `presetAbort` the creator has voted abort,
  // so "commit" means the writer voted commit; without, "rollback" means it
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
    std::string outcome = "none";
    try {
      rt::ContextScope scope(*creator);
      rt::GetObjectContext()->CurrentTransaction()->Enlist("probe", std::make_shared<Probe>(outcome));
      if (presetAbort) rt::GetObjectContext()->SetAbort();
      try {
        call(writer);
      } catch (const rt::ComError&) {
      }
    } catch (const rt::ComError&) {
      // The commit vote of a doomed transaction: its outcome is recorded.
    }
    return outcome;
  }

  // "ok" or "failed", the codes in order, then the record values.
  static std::string Outcome(const rt::ObjectPtr& result) {
    if (!result) return "(nothing)";
    std::string text = rt::CBool(result->Call("Succeeded")) ? "ok" : "failed";
    const rt::Variant messages = result->Call("GetMessages");
    for (const rt::Variant& code : messages.AsArray().data) text += " " + rt::CStr(code);
    const rt::Variant records = result->Call("GetRecordValues");
    const rt::ObjectPtr* values = records.Get<rt::ObjectPtr>();
    if (values && *values) {
      const std::string rendered = Render(*values);
      if (!rendered.empty()) text += " " + rendered;
    }
    return text;
  }

  static rt::Variant Texts(std::vector<rt::Variant> items) { return Array(std::move(items)); }

  // Rows of a query on the catalog database (or the directory's file),
  // fields joined by "|", rows by "; " (Null as "null").
  std::string Table(const std::string& sql, const std::string& path = {}) const {
    sqlite3* db = nullptr;
    sqlite3_open((path.empty() ? sandbox_.CatalogPath() : path).c_str(), &db);
    sqlite3_stmt* st = nullptr;
    std::string text;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) text = "(error)";
    while (st && sqlite3_step(st) == SQLITE_ROW) {
      if (!text.empty()) text += "; ";
      for (int i = 0; i < sqlite3_column_count(st); ++i) {
        const unsigned char* v = sqlite3_column_text(st, i);
        text += (i ? "|" : "") + (v ? std::string(reinterpret_cast<const char*>(v)) : std::string("null"));
      }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return text;
  }
  std::string Users() const {
    return Table("SELECT group_concat(USERID, ',') FROM (SELECT USERID FROM DIRECTORYENTRY ORDER BY ENTRYKEY)",
                 sandbox_.DirectoryPath());
  }
};

// A root class that requires a transaction; its Run runs the test's body,
// so that objects created through its context join its transaction.
class TUserTestRoot : public rt::Object {
 public:
  const rt::DispatchTable* Dispatch() const override {
    static const rt::DispatchTable table =
        rt::DispatchBuilder<TUserTestRoot>("TUserTestRoot").Method("Run", &TUserTestRoot::Run).Build();
    return &table;
  }
  void Run() { body(); }
  static inline std::function<void()> body;

  // Runs `body` as one method of a new root with the session's account.
  static void InTransaction(std::shared_ptr<rt::Activity> activity, std::function<void()> run) {
    rt::RegisterClass({"Test.TUserRoot", "", rt::TransactionAttribute::Required,
                       [] { return rt::ObjectPtr(std::make_shared<TUserTestRoot>()); }});
    body = std::move(run);
    rt::CreateRootObject("Test.TUserRoot", std::move(activity))->Call("Run");
  }
};
