// Tests of the common connection string: the application's value comes first
// and is kept for the thread, else the server's configuration answers; an
// application object that fails is passed over silently, and a configuration
// that fails is raised with the reading class's block around it.
#include <gtest/gtest.h>

#include <thread>

#include "common/lib_sql.h"
#include "runtime/com_error.h"
#include "runtime/context.h"
#include "tests/common/suite_sandbox.h"

namespace {

// An object with a context of its own, with host values behind it or (as for a
// component server without a web page) none, so that asking for "Application" fails.
struct ContextOwner : rt::Object {
  explicit ContextOwner(bool withHost) {
    AttachContext(std::make_shared<rt::ObjectContext>(withHost ? std::make_shared<rt::Activity>() : nullptr,
                                                      nullptr));
  }
};

// The reader keeps its string per thread: each case runs on a thread of its own.
template <class F>
void OnFreshThread(F&& f) {
  std::thread(std::forward<F>(f)).join();
}

class CommonConnectionString : public ::testing::Test {
 protected:
  void SetUp() override { WriteIni("configured"); }
  void WriteIni(const std::string& value) {
    sandbox.WriteConfig("[LOG]\nFile=" + sandbox.LogPath() +
                        "\n[CONNECTIONS]\nBrintorConnection_ConnectionString=ignored\n"
                        "[Vorthem/CONNECTIONS]\nBrintorConnection_ConnectionString=" + value + "\n");
  }
  SuiteSandbox sandbox;
};

TEST_F(CommonConnectionString, TheApplicationValueComesFirstAndIsKeptForTheThread) {
  OnFreshThread([&] {
    auto owner = std::make_shared<ContextOwner>(true);
    auto application = owner->Context()->GetActivity()->application;
    application->SetItem("BrintorConnection_ConnectionString", rt::Variant("from application"));
    ::unsetenv("SUITE_CONFIG");  // the configuration must not be needed
    rt::ContextScope scope(*owner);
    EXPECT_EQ(Sql_CommonConnectionString("Brintor.Currency.ConnectionString"), "from application");
    application->SetItem("BrintorConnection_ConnectionString", rt::Variant("new"));
    EXPECT_EQ(Sql_CommonConnectionString("Brintor.User.ConnectionString"), "from application");
  });
}

// An application object that fails is passed over without a trace; an empty
// value is not kept, so the next call asks again.
TEST_F(CommonConnectionString, WithoutAnApplicationValueTheConfigurationAnswersAndAnEmptyOneIsNotKept) {
  OnFreshThread([] {
    auto owner = std::make_shared<ContextOwner>(false);
    rt::ContextScope scope(*owner);
    ASSERT_THROW(rt::GetObjectContext()->Item("Application"), rt::ComError);
    EXPECT_EQ(Sql_CommonConnectionString("Brintor.BusinessPartner.ConnectionString"), "configured");
    EXPECT_EQ(rt::Err().number, 0);
  });
  EXPECT_TRUE(sandbox.LogLines().empty());
  WriteIni("");
  OnFreshThread([&] {
    EXPECT_EQ(Sql_CommonConnectionString("Brintor.Currency.ConnectionString", false), "");
    WriteIni("later");
    EXPECT_EQ(Sql_CommonConnectionString("Brintor.Currency.ConnectionString"), "later");
  });
}

TEST_F(CommonConnectionString, AFailingConfigurationIsRaisedWithTheReadersBlockAndNothingIsKept) {
  const std::string missing = sandbox.Dir() + "/missing.ini";
  OnFreshThread([&] {
    ::setenv("SUITE_CONFIG", missing.c_str(), 1);
    try {
      Sql_CommonConnectionString("Brintor.Currency.ConnectionString");
      ADD_FAILURE() << "nothing was raised";
    } catch (const rt::ComError& e) {
      EXPECT_EQ(e.number(), rt::hr::kFail);
      EXPECT_EQ(e.source(), "Solvane.Configuration");
      EXPECT_EQ(e.description(), "\r\nERROR 0x80004005\r\n METHOD: Brintor.Currency.ConnectionString\r\n DESC: "
                                 "The configuration file '" + missing + "' cannot be read.\r\n");
    }
    // Once the configuration is back, the next call on the thread reads it.
    sandbox.WriteFile(missing, "[CONNECTIONS]\nBrintorConnection_ConnectionString=restored\n");
    EXPECT_EQ(Sql_CommonConnectionString("Brintor.Currency.ConnectionString"), "restored");
    ::setenv("SUITE_CONFIG", sandbox.ConfigPath().c_str(), 1);
  });
}

}  // namespace
