// Tests of the failure path: formatted blocks, nesting through two layers,
// the log entries it writes, and the connection's errors in the information.
#include "common/lib_errorhandling.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "common/method_error.h"
#include "data/connection.h"
#include "runtime/com_error.h"
#include "tests/common/raised_by.h"
#include "tests/common/suite_sandbox.h"

namespace {

class FailurePath : public ::testing::Test {
 protected:
  void SetUp() override { rt::Err().Clear(); }
  SuiteSandbox sandbox;
};

TEST(ErrFormatMessage, BuildsTheBlockLineByLine) {
  EXPECT_EQ(Err_FormatMessage("D", static_cast<int32_t>(0x80040E14), "M", rt::Variant(42)),
            "\r\nERROR 0x80040E14\r\n METHOD: M\r\n DESC: D.\r\n INFO: 42.\r\n");
  // Information passed Null still gives its line; none passed gives none.
  EXPECT_EQ(Err_FormatMessage("Done.", -1, "M", rt::Variant::Null()),
            "\r\nERROR 0xFFFFFFFF\r\n METHOD: M\r\n DESC: Done..\r\n INFO: .\r\n");
  EXPECT_EQ(Err_FormatMessage("D", 0, "M"), "\r\nERROR 0x0\r\n METHOD: M\r\n DESC: D.\r\n");
}

TEST_F(FailurePath, TwoLayersNestTheInnerBlockInTheOuterDescAndLogBothLayers) {
  auto openConnection = [] {
    try {
      rt::Raise(static_cast<int32_t>(0x80004005), "Provider", "Cannot open database", "help.chm", 17);
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
      "\r\nERROR 0x80004005\r\n METHOD: Brintor.Currency.GetHomeCurrency\r\n DESC: " + inner + ".\r\n";
  EXPECT_EQ(e.number(), static_cast<int32_t>(0x80004005));
  EXPECT_EQ(e.source(), "Provider");
  EXPECT_EQ(e.description(), outer);
  EXPECT_EQ(e.helpFile(), "help.chm");
  EXPECT_EQ(e.helpContext(), 17);

  auto lines = sandbox.LogLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(LogEntry::Parse(lines[0]).text,
            "\r\nERROR 0x80004005\r\n METHOD: Lib_SQL.Sql_GetOpenConnection\r\n DESC: " + inner +
                ".\r\n INFO: Data Source=x.db.\r\n");
  LogEntry second = LogEntry::Parse(lines[1]);
  EXPECT_EQ(second.kind, "ERROR");
  EXPECT_EQ(second.source, "Provider");
  EXPECT_EQ(second.text,
            "\r\nERROR 0x80004005\r\n METHOD: Brintor.Currency.GetHomeCurrency\r\n DESC: " + outer + ".\r\n");
}

TEST_F(FailurePath, WithoutAPendingErrorNothingIsRaisedAndTheLogSaysNotAnActualError) {
  EXPECT_NO_THROW(Err_LogAndRaise("Brintor.User.GetProjectRoles", rt::Variant("x")));
  EXPECT_TRUE(sandbox.LogLines().empty());
  Err_Log(eLogKindError, "Brintor.User.SendEmailWithAttachment", rt::Variant("Attachment: a.pdf"));
  auto lines = sandbox.LogLines();
  ASSERT_EQ(lines.size(), 1u);
  LogEntry entry = LogEntry::Parse(lines[0]);
  EXPECT_EQ(entry.kind, "INFO");
  EXPECT_EQ(entry.source, "Brintor.User.SendEmailWithAttachment");
  EXPECT_EQ(entry.text,
            "\r\nERROR 0x0\r\n METHOD: Brintor.User.SendEmailWithAttachment\r\n"
            " DESC: Not an actual error.\r\n INFO: Attachment: a.pdf.\r\n");
}

// Without a log component nothing is written and the failure path goes on:
// the captured error is raised unchanged and nothing else surfaces.
TEST_F(FailurePath, MissingLogComponentDropsTheEntryAndStillRaises) {
  std::string emptyRegistry = sandbox.Dir() + "/empty.reg";
  sandbox.WriteFile(emptyRegistry, "");
  ::setenv("SUITE_REGISTRY", emptyRegistry.c_str(), 1);
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

// The information reads the connection's errors before the cleanup closes
// it, and a failure the cleanup traps does not replace the method's own.
TEST_F(FailurePath, HandlerReportsTheConnectionsErrorsAndKeepsTheMethodsErrorOverItsCleanup) {
  sandbox.WriteFile(sandbox.Dir() + "/errors.db", "");  // an empty file is an empty database
  auto cn = data::Connection::New();
  cn->Open("Data Source=" + sandbox.Dir() + "/errors.db");
  bool closed = false;
  rt::ComError e = RaisedBy([&] {
    try {
      cn->Execute("SELECT X FROM NOPE");
    } catch (...) {
      HandleMethodError("Brintor.Currency.GetRates",
                        Err_GetConnectionErrors(rt::Variant(rt::ObjectPtr(cn))) + " executing: 'SELECT'", [&] {
                          cn->Close();
                          rt::TryResume([] { rt::RaiseVb(rt::vberr::kObjectNotSet); });
                          closed = true;
                        });
    }
  });
  EXPECT_TRUE(closed);
  EXPECT_EQ(e.number(), static_cast<int32_t>(0x80040E14));
  EXPECT_EQ(e.description(),
            "\r\nERROR 0x80040E14\r\n METHOD: Brintor.Currency.GetRates\r\n DESC: no such table: NOPE.\r\n"
            " INFO: Error(s) from connection object:  (1)no such table: NOPE[-2147217900] executing: "
            "'SELECT'.\r\n");
  EXPECT_EQ(Err_GetConnectionErrors(rt::Variant::Nothing()), "");
  EXPECT_EQ(Err_GetConnectionErrors(rt::Variant::Null()), "");
}

}  // namespace
