// Tests of the common connection-string reader's fallbacks: an application
// object that fails is passed over silently, and a configuration that fails
// is raised with the reading class's block around it.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "common/lib_sql.h"
#include "runtime/com_error.h"
#include "runtime/context.h"
#include "tests/common/suite_sandbox.h"

namespace {

// An object whose context has no host values behind it: asking it for
// "Application" fails, as it does for a component server without a web page.
struct ContextWithoutHost : rt::Object {
  ContextWithoutHost() { AttachContext(std::make_shared<rt::ObjectContext>(nullptr, nullptr)); }
};

// The reader keeps its string per thread: each case runs on a thread of its own.
template <class F>
void OnFreshThread(F&& f) {
  std::thread(std::forward<F>(f)).join();
}

TEST(ConnectionStringReader, AFailingApplicationObjectLeavesTheConfigurationToAnswerWithoutATrace) {
  SuiteSandbox sandbox;
  sandbox.WriteConfig("[LOG]\nFile=" + sandbox.LogPath() +
                      "\n[CONNECTIONS]\nBrintorConnection_ConnectionString=configured\n");
  OnFreshThread([] {
    auto owner = std::make_shared<ContextWithoutHost>();
    rt::ContextScope scope(*owner);
    ASSERT_THROW(rt::GetObjectContext()->Item("Application"), rt::ComError);
    EXPECT_EQ(Sql_CommonConnectionString("Brintor.BusinessPartner.ConnectionString"), "configured");
    EXPECT_EQ(rt::Err().number, 0);
  });
  EXPECT_TRUE(sandbox.LogLines().empty());
}

TEST(ConnectionStringReader, AFailingConfigurationIsRaisedWithTheReadersBlockAndNothingIsKept) {
  SuiteSandbox sandbox;
  const std::string missing = sandbox.Dir() + "/missing.ini";
  OnFreshThread([&] {
    ::setenv("SUITE_CONFIG", missing.c_str(), 1);
    std::string description;
    int32_t number = 0;
    std::string source;
    try {
      Sql_CommonConnectionString("Brintor.Currency.ConnectionString");
      ADD_FAILURE() << "nothing was raised";
    } catch (const rt::ComError& e) {
      number = e.number();
      source = e.source();
      description = e.description();
    }
    EXPECT_EQ(number, rt::hr::kFail);
    EXPECT_EQ(source, "Solvane.Configuration");
    EXPECT_EQ(description, "\r\nERROR 0x80004005\r\n METHOD: Brintor.Currency.ConnectionString\r\n DESC: "
                           "The configuration file '" + missing + "' cannot be read.\r\n");
    // Once the configuration is back, the next call on the thread reads it.
    sandbox.WriteFile(missing, "[CONNECTIONS]\nBrintorConnection_ConnectionString=restored\n");
    EXPECT_EQ(Sql_CommonConnectionString("Brintor.Currency.ConnectionString"), "restored");
    ::setenv("SUITE_CONFIG", sandbox.ConfigPath().c_str(), 1);
  });
}

}  // namespace
