// Tests of object contexts: votes, transactions across root and child
// objects, activation, the host's values and the running component's name.
#include "runtime/context.h"

#include <gtest/gtest.h>

#include <thread>

#include "runtime/com_error.h"
#include "runtime/dispatch.h"
#include "runtime/registry.h"
#include "tests/runtime/error_of.h"

namespace rt {
namespace {

std::vector<std::string> gLog;

std::string Log() {
  std::string text;
  for (const std::string& line : gLog) text += (text.empty() ? "" : " ") + line;
  gLog.clear();
  return text;
}

// An engine session stand-in that records what the transaction did with it.
class RecordingResource : public TransactionResource {
 public:
  RecordingResource(std::string name, bool failCommit)
      : name_(std::move(name)), failCommit_(failCommit) {}
  void Commit() override {
    if (failCommit_) {
      gLog.push_back(name_ + ":commit-failed");
      Raise(hr::kFail, "", "disk full");
    }
    gLog.push_back(name_ + ":commit");
  }
  void Rollback() override { gLog.push_back(name_ + ":rollback"); }

 private:
  std::string name_;
  bool failCommit_;
};

// Opens a "connection": in the running transaction when there is one, where
// one key shares one session, else committing by itself.
void Open(const std::string& name, bool failCommit = false) {
  ObjectContext* context = GetObjectContext();
  Transaction* transaction = context ? context->CurrentTransaction() : nullptr;
  if (!transaction) {
    gLog.push_back(name + ":autocommit");
  } else if (transaction->Find(name)) {
    gLog.push_back(name + ":shared");
  } else {
    transaction->Enlist(name, std::make_shared<RecordingResource>(name, failCommit));
  }
}

void Vote(bool commit) {
  if (ObjectContext* context = GetObjectContext()) {
    commit ? context->SetComplete() : context->SetAbort();
  }
}

// A class whose method runs whatever the test gives it, inside its context.
class Worker : public Object {
 public:
  const DispatchTable* Dispatch() const override {
    static const DispatchTable kTable =
        DispatchBuilder<Worker>("Worker").Method("Run", &Worker::Run).Build();
    return &kTable;
  }
  void Run() {
    ContextScope scope(*this);
    if (body) body();
  }
  std::shared_ptr<Worker> Child(std::string_view progId) {
    ContextScope scope(*this);
    return GetObjectContext()->CreateInstance(progId)->As<Worker>();
  }
  std::function<void()> body;
};

class Controlled : public Worker {
 public:
  bool ImplementsObjectControl() const override { return true; }
  void Activate() override {
    gLog.push_back(GetObjectContext() == Context().get() ? "activate-in-context" : "activate");
  }
  void Deactivate() override {
    gLog.push_back(GetObjectContext() == Context().get() ? "deactivate-in-context" : "deactivate");
    throw ComError(5, "", "ignored");
  }
};

class ContextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto make = [] { return std::make_shared<Worker>(); };
    RegisterClass({"Test.Required", "", TransactionAttribute::Required, make});
    RegisterClass({"Test.NotSupported", "", TransactionAttribute::NotSupported, make});
    RegisterClass({"Test.Plain", "", TransactionAttribute::None, make});
    RegisterClass({"Other.Controlled", "", TransactionAttribute::Required,
                   [] { return std::make_shared<Controlled>(); }});
    gLog.clear();
  }
  std::shared_ptr<Worker> Root(std::string_view progId) {
    return CreateRootObject(progId, activity_)->As<Worker>();
  }
  std::shared_ptr<Activity> activity_ = std::make_shared<Activity>();
};

TEST_F(ContextTest, ChildAbortDoomsTheTransactionAndTheCommittingRootHearsOfIt) {
  auto root = Root("Test.Required");
  root->body = [&] {
    Open("db");
    auto child = root->Child("Test.Required");
    child->body = [] {
      Open("db");
      Open("log");
      Vote(false);
    };
    child->Run();
    Vote(true);
  };
  EXPECT_EQ(ErrorOf([&] { root->Call("Run"); }), hr::kTransactionAborted);
  EXPECT_EQ(Log(), "db:shared db:rollback log:rollback");

  // The root without a vote of its own: rolled back silently.
  root->body = [&] {
    Open("db");
    auto child = root->Child("Test.Required");
    child->body = [] { Vote(false); };
    child->Run();
  };
  EXPECT_EQ(ErrorOf([&] { root->Run(); }), 0);
  EXPECT_EQ(Log(), "db:rollback");
}

TEST_F(ContextTest, TheLaterVoteReplacesTheEarlierCountsWhenTheOutermostCallReturnsAndIsClearedAfterUse) {
  auto root = Root("Test.Required");
  root->body = [] {
    Open("db");
    Vote(false);
    Vote(true);
  };
  root->Run();
  EXPECT_EQ(Log(), "db:commit");

  root->body = [] {
    Open("db");
    Vote(true);
    Vote(false);
  };
  EXPECT_EQ(ErrorOf([&] { root->Run(); }), 0) << "the root itself voted abort";
  EXPECT_EQ(Log(), "db:rollback");

  // The next call is a new transaction; the abort vote was spent.
  root->body = [] { Open("db"); };
  root->Run();
  EXPECT_EQ(Log(), "db:commit");

  // Votes count when the outermost call of the context returns.
  int depth = 0;
  root->body = [&] {
    if (++depth == 1) {
      Open("db");
      root->Run();  // a nested call of the same object votes abort...
      Vote(true);   // ...and the outer call changes its mind before returning
    } else {
      Vote(false);
    }
  };
  root->Run();
  EXPECT_EQ(Log(), "db:commit");
}

TEST_F(ContextTest, NonTransactionalChildNeverJoinsAndItsVotesDoNothing) {
  auto root = Root("Test.Required");
  bool childInTransaction = true;
  root->body = [&] {
    Open("db");
    for (const char* progId : {"Test.NotSupported", "Test.Plain"}) {
      auto child = root->Child(progId);
      child->body = [&] {
        childInTransaction = GetObjectContext()->IsInTransaction() ||
                             GetObjectContext()->CurrentTransaction() != nullptr;
        Open("side");
        Vote(false);
      };
      child->Run();
      EXPECT_FALSE(childInTransaction) << progId;
    }
    Vote(true);
  };
  root->Run();
  EXPECT_EQ(Log(), "side:autocommit side:autocommit db:commit");
}

TEST_F(ContextTest, RequiredChildOfANonTransactionalCreatorIsARootOfItsOwn) {
  auto root = Root("Test.NotSupported");
  root->body = [&] {
    auto child = root->Child("Test.Required");
    child->body = [] {
      Open("db");
      Vote(true);
    };
    child->Run();
    gLog.push_back("parent-continues");
  };
  root->Run();
  EXPECT_EQ(Log(), "db:commit parent-continues");
}

TEST_F(ContextTest, AFailedCommitRollsBackTheRestAndIsReported) {
  auto root = Root("Test.Required");
  root->body = [] {
    Open("a");
    Open("bad", true);
    Open("c");
  };
  EXPECT_EQ(ErrorOf([&] { root->Run(); }), hr::kTransactionAborted);
  EXPECT_EQ(Log(), "a:commit bad:commit-failed bad:rollback c:rollback");
}

// Work outside the resources (a directory entry) hears the outcome after
// every resource has ended, whenever it was enlisted: a commit that fails
// after it was enlisted still undoes it.
class RecordingCompensation : public Compensation {
 public:
  explicit RecordingCompensation(std::string name) : name_(std::move(name)) {}
  void Commit() noexcept override { gLog.push_back(name_ + ":keep"); }
  void Rollback() noexcept override { gLog.push_back(name_ + ":undo"); }

 private:
  std::string name_;
};

void Compensate(const std::string& name) {
  GetObjectContext()->CurrentTransaction()->EnlistCompensation(std::make_shared<RecordingCompensation>(name));
}

TEST_F(ContextTest, CompensationsHearTheOutcomeAfterEveryResourceLastEnlistedFirst) {
  auto root = Root("Test.Required");
  root->body = [] {
    Compensate("first");
    Open("db");
    Compensate("second");
    Vote(true);
  };
  root->Run();
  EXPECT_EQ(Log(), "db:commit second:keep first:keep");

  // Enlisted before the session whose commit fails: undone all the same,
  // and the root still hears that its transaction aborted.
  root->body = [] {
    Compensate("entry");
    Open("bad", true);
    Vote(true);
  };
  EXPECT_EQ(ErrorOf([&] { root->Run(); }), hr::kTransactionAborted);
  EXPECT_EQ(Log(), "bad:commit-failed bad:rollback entry:undo");

  // A child's abort, or an outer caller's, dooms the transaction it joined.
  root->body = [&] {
    auto child = root->Child("Test.Required");
    child->body = [] {
      Open("db");
      Compensate("entry");
      Vote(true);
    };
    child->Run();
    Vote(false);
  };
  root->Run();
  EXPECT_EQ(Log(), "db:rollback entry:undo");

  // The next transaction starts without them.
  root->body = [] { Open("db"); };
  root->Run();
  EXPECT_EQ(Log(), "db:commit");
}

TEST_F(ContextTest, ATransactionDroppedWithoutEndingUndoesItsCompensations) {
  {
    Transaction transaction;
    transaction.EnlistCompensation(std::make_shared<RecordingCompensation>("entry"));
  }
  EXPECT_EQ(Log(), "entry:undo");
}

TEST_F(ContextTest, AnErrorOnItsWayOutIsNotReplaced) {
  auto root = Root("Test.Required");
  root->body = [&] {
    Open("db");
    auto child = root->Child("Test.Required");
    child->body = [] { Vote(false); };
    child->Run();
    Vote(true);
    RaiseVb(vberr::kDivisionByZero);
  };
  EXPECT_EQ(ErrorOf([&] { root->Run(); }), vberr::kDivisionByZero);
  EXPECT_EQ(Log(), "db:rollback");
  EXPECT_EQ(GetObjectContext(), nullptr) << "the scope restored the caller's context";
}

TEST_F(ContextTest, OutsideAnyContextVotesAreNoOpsAndEachThreadHasItsOwnContext) {
  auto plain = CreateObject("Test.Required")->As<Worker>();
  plain->body = [] {
    EXPECT_EQ(GetObjectContext(), nullptr);
    Open("db");
    Vote(false);
  };
  plain->Run();
  EXPECT_EQ(Log(), "db:autocommit");

  auto root = Root("Test.Required");
  ObjectContext* seenElsewhere = reinterpret_cast<ObjectContext*>(1);
  root->body = [&] {
    EXPECT_EQ(GetObjectContext(), root->Context().get());
    std::thread([&] { seenElsewhere = GetObjectContext(); }).join();
  };
  root->Run();
  EXPECT_EQ(seenElsewhere, nullptr);
}

TEST_F(ContextTest, ObjectControlActivatesOnceAndDeactivatesOnRelease) {
  ObjectPtr controlled = CreateRootObject("Other.Controlled", activity_);
  EXPECT_EQ(Log(), "activate-in-context");
  auto typed = controlled->As<Controlled>();  // a second holder of the same handle
  controlled.reset();
  EXPECT_EQ(Log(), "");
  typed.reset();
  EXPECT_EQ(Log(), "deactivate-in-context") << "a throwing Deactivate is swallowed";

  ObjectPtr plain = CreateObject("Other.Controlled");
  plain.reset();
  EXPECT_EQ(Log(), "") << "plain creation neither activates nor deactivates";
}

TEST_F(ContextTest, NewObjectSharesItsCreatorsContext) {
  auto root = Root("Test.Required");
  auto helper = NewObject<Worker>(*root);
  EXPECT_EQ(helper->Context(), root->Context());
  root->body = [&] {
    Open("db");
    helper->body = [] {
      EXPECT_EQ(CurrentComponentName(), "Test") << "named by the object that called it";
      Open("db");
      Vote(false);
    };
    helper->Run();
    EXPECT_EQ(Log(), "db:shared");
    Vote(true);  // the same context: this vote replaces the helper's
  };
  root->Run();
  EXPECT_EQ(Log(), "db:commit");
}

TEST_F(ContextTest, CurrentComponentNameFollowsTheRunningObject) {
  auto root = Root("Test.Required");
  root->body = [&] {
    EXPECT_EQ(CurrentComponentName(), "Test");
    auto other = GetObjectContext()->CreateInstance("Other.Controlled")->As<Worker>();
    other->body = [] { EXPECT_EQ(CurrentComponentName(), "Other"); };
    other->Run();
    EXPECT_EQ(CurrentComponentName(), "Test");
    // A platform class called late-bound leaves the caller's name in place.
    ObjectPtr dictionary = GetObjectContext()->CreateInstance("Scripting.Dictionary");
    dictionary->Call("Add", {Variant("k"), Variant(1)});
    try {
      dictionary->Call("Add", {Variant("k"), Variant(1)});
      ADD_FAILURE();
    } catch (const ComError& e) {
      EXPECT_EQ(e.source(), "Test");
    }
    // ProgIDs are matched whatever their letter case.
    ObjectPtr lower = GetObjectContext()->CreateInstance("scripting.dictionary");
    lower->Call("Add", {Variant("k"), Variant(1)});
    try {
      lower->Call("Add", {Variant("k"), Variant(1)});
      ADD_FAILURE();
    } catch (const ComError& e) {
      EXPECT_EQ(e.source(), "Test") << "created as scripting.dictionary";
    }
  };
  root->Run();
  EXPECT_EQ(CurrentComponentName(), "");
  try {
    RaiseVb(vberr::kOverflow);
  } catch (const ComError& e) {
    EXPECT_EQ(e.source(), "");  // outside any component
  }
}

TEST_F(ContextTest, ItemAnswersTheActivitysHostValuesWhoseKeysIgnoreCase) {
  activity_->session->SetItem("UserID", "u0");
  activity_->session->SetItem("USERID", "u1");
  auto root = Root("Test.Required");
  root->body = [&] {
    ObjectContext* context = GetObjectContext();
    EXPECT_EQ(context->Item("application"), activity_->application);
    ObjectPtr session = context->Item("SESSION");
    EXPECT_EQ(CStr(session->GetProperty("", {"userid"})), "u1");
    EXPECT_EQ(ErrorOf([&] { context->Item("Request"); }), hr::kFail);

    auto child = root->Child("Test.NotSupported");
    EXPECT_EQ(child->Context()->Item("Session"), session) << "the child shares the activity";
  };
  root->Run();
  EXPECT_EQ(activity_->session->All().size(), 1u);
  EXPECT_TRUE(activity_->session->Item("other").IsEmpty());
  Args let{"Count", 3};
  activity_->session->Invoke("Value", CallKind::Let, let);
  EXPECT_EQ(CLng(activity_->session->GetProperty("value", {"COUNT"})), 3);
}

}  // namespace
}  // namespace rt
