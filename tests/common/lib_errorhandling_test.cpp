// Tests of the failure path: formatted blocks, nesting through two layers,
// the log entries it writes, and the connection-error text.
#include "common/lib_errorhandling.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "common/method_error.h"
#include "data/connection.h"
#include "runtime/com_error.h"
#include "runtime/dispatch.h"
#include "tests/common/raised_by.h"
#include "tests/common/suite_sandbox.h"

namespace {

// --- A connection with an ADO-like error collection ------------------------------

class FakeError : public rt::Object {
 public:
  FakeError(std::string description, int32_t number)
      : description_(std::move(description)), number_(number) {}
  const rt::DispatchTable* Dispatch() const override {
    static const rt::DispatchTable table = rt::DispatchBuilder<FakeError>("Error")
                                               .Get("Description", &FakeError::Description)
                                               .Get("Number", &FakeError::Number)
                                               .Build();
    return &table;
  }
  std::string Description() { return description_; }
  int32_t Number() { return number_; }

 private:
  std::string description_;
  int32_t number_;
};

class FakeErrors : public rt::Object {
 public:
  const rt::DispatchTable* Dispatch() const override {
    static const rt::DispatchTable table = rt::DispatchBuilder<FakeErrors>("Errors")
                                               .Get("Count", &FakeErrors::Count)
                                               .Get("Item", &FakeErrors::Item)
                                               .Default("Item")
                                               .Build();
    return &table;
  }
  int32_t Count() { return static_cast<int32_t>(items.size()); }
  rt::ObjectPtr Item(int32_t index) { return items.at(static_cast<size_t>(index)); }
  std::vector<rt::ObjectPtr> items;
};

class FakeConnection : public rt::Object {
 public:
  const rt::DispatchTable* Dispatch() const override {
    static const rt::DispatchTable table =
        rt::DispatchBuilder<FakeConnection>("Connection").Get("Errors", &FakeConnection::Errors).Build();
    return &table;
  }
  rt::ObjectPtr Errors() { return errors; }
  void AddError(std::string description, int32_t number) {
    errors->items.push_back(std::make_shared<FakeError>(std::move(description), number));
  }
  // Closing forgets the errors, as a closed connection does.
  void Close() { errors->items.clear(); }
  std::shared_ptr<FakeErrors> errors = std::make_shared<FakeErrors>();
};

class FailurePath : public ::testing::Test {
 protected:
  void SetUp() override { rt::Err().Clear(); }
  SuiteSandbox sandbox;
};

// --- Formatting --------------------------------------------------------------------

TEST(ErrFormatMessage, BuildsTheBlockLineByLine) {
  EXPECT_EQ(Err_FormatMessage("Invalid procedure call or argument", 5, "Brintor.User.GetProjectRoles"),
            "\r\nERROR 0x5\r\n METHOD: Brintor.User.GetProjectRoles\r\n"
            " DESC: Invalid procedure call or argument.\r\n");
  EXPECT_EQ(Err_FormatMessage("Done.", -1, "M", rt::Variant("cs=x")),
            "\r\nERROR 0xFFFFFFFF\r\n METHOD: M\r\n DESC: Done..\r\n INFO: cs=x.\r\n");
  EXPECT_EQ(Err_FormatMessage("D", static_cast<int32_t>(0x80040E14), "M", rt::Variant(42)),
            "\r\nERROR 0x80040E14\r\n METHOD: M\r\n DESC: D.\r\n INFO: 42.\r\n");
  // Information passed empty or Null still gives its line.
  const std::string withEmptyInfo = "\r\nERROR 0x0\r\n METHOD: M\r\n DESC: D.\r\n INFO: .\r\n";
  EXPECT_EQ(Err_FormatMessage("D", 0, "M", rt::Variant("")), withEmptyInfo);
  EXPECT_EQ(Err_FormatMessage("D", 0, "M", rt::Variant::Null()), withEmptyInfo);
  EXPECT_EQ(Err_FormatMessage("D", 0, "M"), "\r\nERROR 0x0\r\n METHOD: M\r\n DESC: D.\r\n");
}

// --- Log and raise -------------------------------------------------------------------

TEST_F(FailurePath, ReRaisesNumberAndSourceWithTheBlockAndLogsIt) {
  rt::ComError e = RaisedBy([] {
    try {
      rt::Raise(5, "Brintor", "Invalid procedure call or argument", "help.chm", 17);
    } catch (...) {
      HandleMethodError("Brintor.User.GetProjectRoles");
    }
  });
  const std::string block =
      "\r\nERROR 0x5\r\n METHOD: Brintor.User.GetProjectRoles\r\n"
      " DESC: Invalid procedure call or argument.\r\n";
  EXPECT_EQ(e.number(), 5);
  EXPECT_EQ(e.description(), block);
  EXPECT_EQ(e.helpFile(), "help.chm");
  EXPECT_EQ(e.helpContext(), 17);

  auto lines = sandbox.LogLines();
  ASSERT_EQ(lines.size(), 1u);
  LogEntry entry = LogEntry::Parse(lines[0]);
  EXPECT_EQ(entry.kind, "ERROR");
  EXPECT_EQ(entry.source, "Brintor");
  EXPECT_EQ(entry.text, "\r\nERROR 0x5\r\n METHOD: Brintor.User.GetProjectRoles\r\n DESC: " +
                            block + ".\r\n");
}

TEST_F(FailurePath, TwoLayersNestTheInnerBlockInTheOuterDescAndLogBothLayers) {
  auto openConnection = [] {
    try {
      rt::Raise(static_cast<int32_t>(0x80004005), "Provider", "Cannot open database");
    } catch (...) {
      HandleMethodError("Lib_SQL.Sql_GetOpenConnection", rt::Variant("Data Source=x.db"));
    }
  };
  rt::ComError e = RaisedBy([&] {
    try {
      openConnection();
    } catch (...) {
      HandleMethodError("Brintor.Currency.GetHomeCurrency");
    }
  });
  const std::string inner =
      "\r\nERROR 0x80004005\r\n METHOD: Lib_SQL.Sql_GetOpenConnection\r\n"
      " DESC: Cannot open database.\r\n INFO: Data Source=x.db.\r\n";
  const std::string outer =
      "\r\nERROR 0x80004005\r\n METHOD: Brintor.Currency.GetHomeCurrency\r\n DESC: " + inner +
      ".\r\n";
  EXPECT_EQ(e.number(), static_cast<int32_t>(0x80004005));
  EXPECT_EQ(e.source(), "Provider");
  EXPECT_EQ(e.description(), outer);

  auto lines = sandbox.LogLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(LogEntry::Parse(lines[0]).text,
            "\r\nERROR 0x80004005\r\n METHOD: Lib_SQL.Sql_GetOpenConnection\r\n DESC: " + inner +
                ".\r\n INFO: Data Source=x.db.\r\n");
  LogEntry second = LogEntry::Parse(lines[1]);
  EXPECT_EQ(second.source, "Provider");
  EXPECT_EQ(second.text, "\r\nERROR 0x80004005\r\n METHOD: Brintor.Currency.GetHomeCurrency\r\n DESC: " +
                             outer + ".\r\n");
}

TEST_F(FailurePath, ErrRaiseInsideTheHandledRegionPassesThroughTheHandler) {
  rt::ComError e = RaisedBy([] {
    try {
      Err_Raise(static_cast<int32_t>(0x80040069), "Brintor.User.GetProjectRoles", "UserID not passed", "",
                0);
    } catch (...) {
      HandleMethodError("Brintor.User.GetProjectRoles");
    }
  });
  EXPECT_EQ(e.number(), static_cast<int32_t>(0x80040069));
  EXPECT_EQ(e.source(), "Brintor.User.GetProjectRoles");
  EXPECT_EQ(e.description(),
            "\r\nERROR 0x80040069\r\n METHOD: Brintor.User.GetProjectRoles\r\n DESC: UserID not passed.\r\n");
}

TEST_F(FailurePath, NoPendingErrorMeansNothingLoggedOrRaised) {
  EXPECT_NO_THROW(Err_LogAndRaise("Brintor.User.GetProjectRoles", rt::Variant("x")));
  EXPECT_TRUE(sandbox.LogLines().empty());
}

TEST_F(FailurePath, ErrLogWithoutPendingErrorWritesNotAnActualErrorAsInformation) {
  Err_Log(eLogKindError, "Brintor.User.SendEmailWithAttachment", rt::Variant("Attachment: a.pdf"));
  auto lines = sandbox.LogLines();
  ASSERT_EQ(lines.size(), 1u);
  LogEntry entry = LogEntry::Parse(lines[0]);
  EXPECT_EQ(entry.kind, "INFO");
  EXPECT_EQ(entry.source, "Brintor.User.SendEmailWithAttachment");
  EXPECT_EQ(entry.text,
            "\r\nERROR 0x0\r\n METHOD: Brintor.User.SendEmailWithAttachment\r\n"
            " DESC: Not an actual error.\r\n INFO: Attachment: a.pdf.\r\n");
  EXPECT_EQ(rt::Err().number, 0);
}

TEST_F(FailurePath, ErrLogErrorLeavesThePendingErrorForTheCallerThatGoesOn) {
  rt::Err() = rt::PendingError{91, "Brintor", "Object variable or With block variable not set", "", 0};
  Err_LogError("Brintor.TUser.Delete");
  EXPECT_EQ(rt::Err().number, 91);
  ASSERT_EQ(sandbox.LogLines().size(), 1u);
  EXPECT_EQ(LogEntry::Parse(sandbox.LogLines()[0]).kind, "ERROR");
}

// Without a log component nothing is written and the failure path goes on:
// the captured error is raised unchanged and nothing else surfaces.
TEST_F(FailurePath, MissingLogComponentDropsTheEntryAndStillRaises) {
  std::string emptyRegistry = sandbox.Dir() + "/empty.reg";
  sandbox.WriteFile(emptyRegistry, "");
  ::setenv("SUITE_REGISTRY", emptyRegistry.c_str(), 1);

  EXPECT_NO_THROW(Err_Log(eLogKindError, "Brintor.User.GetOffices"));
  rt::ComError e = RaisedBy([] {
    try {
      rt::RaiseVb(rt::vberr::kDivisionByZero, "Brintor");
    } catch (...) {
      HandleMethodError("Brintor.Currency.ConvertAmount");
    }
  });
  ::unsetenv("SUITE_REGISTRY");

  EXPECT_EQ(e.number(), rt::vberr::kDivisionByZero);
  EXPECT_EQ(e.description(),
            "\r\nERROR 0xB\r\n METHOD: Brintor.Currency.ConvertAmount\r\n DESC: Division by zero.\r\n");
  EXPECT_TRUE(sandbox.LogLines().empty());
}

// --- The method handler ------------------------------------------------------------------

TEST_F(FailurePath, HandlerReadsConnectionErrorsBeforeItsCleanupAndKeepsTheMethodsError) {
  auto cn = std::make_shared<FakeConnection>();
  cn->AddError("Syntax error near 'FROM'", static_cast<int32_t>(0x80040E14));
  std::vector<std::string> steps;
  rt::ComError e = RaisedBy([&] {
    try {
      rt::Raise(static_cast<int32_t>(0x80040E14), "Engine", "Syntax error near 'FROM'");
    } catch (...) {
      HandleMethodError("Brintor.Currency.GetRates",
                        Err_GetConnectionErrors(rt::Variant(rt::ObjectPtr(cn))) + " executing: 'SELECT'",
                        [&] {
                          cn->Close();
                          // A cleanup step that traps a failure of its own.
                          rt::TryResume([] { rt::RaiseVb(rt::vberr::kObjectNotSet); });
                          steps.push_back("closed");
                        });
    }
  });
  EXPECT_EQ(steps, std::vector<std::string>{"closed"});
  EXPECT_EQ(e.number(), static_cast<int32_t>(0x80040E14));
  EXPECT_EQ(e.description(),
            "\r\nERROR 0x80040E14\r\n METHOD: Brintor.Currency.GetRates\r\n DESC: Syntax error near 'FROM'.\r\n"
            " INFO: Error(s) from connection object:  (1)Syntax error near 'FROM'[-2147217900] executing: "
            "'SELECT'.\r\n");
}

// --- Connection errors -----------------------------------------------------------------

TEST(ErrGetConnectionErrors, ListsEveryErrorInOrderAndNothingNullOrNoErrorsGiveEmptyText) {
  auto cn = std::make_shared<FakeConnection>();
  EXPECT_EQ(Err_GetConnectionErrors(rt::Variant(rt::ObjectPtr(cn))), "");
  cn->AddError("Login failed", 18456);
  cn->AddError("General error", -1);
  EXPECT_EQ(Err_GetConnectionErrors(rt::Variant(rt::ObjectPtr(cn))),
            "Error(s) from connection object:  (1)Login failed[18456] (2)General error[-1]");
  EXPECT_EQ(Err_GetConnectionErrors(rt::Variant::Nothing()), "");
  EXPECT_EQ(Err_GetConnectionErrors(rt::Variant::Null()), "");
}

TEST(ErrGetConnectionErrors, ReadsTheErrorsOfARealConnectionAfterAFailedStatement) {
  SuiteSandbox sandbox;
  sandbox.WriteFile(sandbox.Dir() + "/errors.db", "");  // an empty file is an empty database
  auto cn = data::Connection::New();
  cn->Open("Data Source=" + sandbox.Dir() + "/errors.db");
  std::string raised;
  try {
    cn->Execute("SELECT NOSUCHCOLUMN FROM NOSUCHTABLE");
  } catch (const rt::ComError& e) {
    raised = e.description();
  }
  ASSERT_FALSE(raised.empty());
  EXPECT_EQ(Err_GetConnectionErrors(rt::Variant(rt::ObjectPtr(cn))),
            "Error(s) from connection object:  (1)" + raised + "[-2147217900]");
  cn->Close();
}

}  // namespace
