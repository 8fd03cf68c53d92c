// The per-thread catalog connection string: which source fills it first on
// a thread, blank values never kept, configuration failures, connections.
#include "quarvel/services/catalog_connection.h"

#include <gtest/gtest.h>

#include "tests/common/raised_by.h"
#include "tests/common/suite_sandbox.h"
#include "tests/data/test_database.h"
#include "tests/quarvel/quarvel_probe.h"

namespace {

using quarvel::ConnectionSource;
using quarvel::getConnection;
using quarvel::getConnectionString;
using quarveltest::AsCatalogCode;
using quarveltest::OnFreshThread;

const char* kApplicationKey = "QuarvelConnection_ConnectionString";

class CatalogConnection : public ::testing::Test {
 protected:
  CatalogConnection() { Configure(configured_.ConnectionString()); }
  void Configure(const std::string& quarvel) {
    sandbox_.WriteConfig("[LOG]\nFile=" + sandbox_.LogPath() + "\n[COMPONENTS]\nQuarvel=" + quarvel + "\n");
  }
  // Product's string, asked inside a context whose web application holds `value`.
  static std::string AsProduct(const rt::Variant& value) {
    std::string answer;
    AsCatalogCode([&] { answer = getConnectionString(ConnectionSource::kApplicationFirst); }, true,
                  {{kApplicationKey, value}});
    return answer;
  }

  SuiteSandbox sandbox_;
  testdb::TestDatabase configured_{"CREATE TABLE UNIT (UNITCODE nvarchar(10));"};
  testdb::TestDatabase application_{"CREATE TABLE PRODUCT (PRODUCTID int);"};
};

// Whichever class needs a connection first on a thread fills the cache for
// every class there, and the connections open on it. Once filled, it is
// never read again: a changed configuration reaches only a fresh thread.
TEST_F(CatalogConnection, TheFirstClassOnAThreadChoosesTheSourceForAllOfThem) {
  const std::string fromApplication = application_.ConnectionString();
  OnFreshThread([&] {
    EXPECT_EQ(AsProduct(rt::Variant(fromApplication)), fromApplication);
    EXPECT_EQ(getConnectionString(), fromApplication);  // a Unit on the same thread
    EXPECT_EQ(testdb::Query(getConnection(true), "SELECT COUNT(*) AS N FROM PRODUCT"), "N=Long:0\n");
  });
  OnFreshThread([&] {
    EXPECT_EQ(getConnectionString(), configured_.ConnectionString());
    EXPECT_EQ(AsProduct(rt::Variant(fromApplication)), configured_.ConnectionString());
    auto cn = quarvel::getReadCommittedConnection(ConnectionSource::kApplicationFirst);
    EXPECT_EQ(testdb::Query(cn, "SELECT COUNT(*) AS N FROM UNIT"), "N=Long:0\n");
  });
}

TEST_F(CatalogConnection, TheCacheOutlivesAChangedConfiguration) {
  OnFreshThread([&] {
    Golden seen;
    seen.Add("first", getConnectionString());
    Configure("Provider=SQLite;Data Source=/elsewhere.db");
    EXPECT_EQ(
        seen.Add("after the change", getConnectionString()).Lines(),
        "first: " + configured_.ConnectionString() + "\nafter the change: " + configured_.ConnectionString() + "\n");
  });
  OnFreshThread([&] { EXPECT_EQ(getConnectionString(), "Provider=SQLite;Data Source=/elsewhere.db"); });
}

TEST_F(CatalogConnection, BlankValuesAreNeverKept) {
  OnFreshThread([&] {
    Golden seen;
    Configure("   ");
    seen.Add("blank", getConnectionString());
    Configure(configured_.ConnectionString());
    EXPECT_EQ(seen.Add("configured", getConnectionString()).Lines(),
              "blank: \nconfigured: " + configured_.ConnectionString() + "\n");
  });
  // A blank or non-text application value gives way to the configuration,
  // and so does Product's own source outside a context.
  for (const rt::Variant& value : {rt::Variant("  "), rt::Variant(int32_t{5})})
    OnFreshThread([&] { EXPECT_EQ(AsProduct(value), configured_.ConnectionString()); });
  OnFreshThread([&] {
    AsCatalogCode([&] { EXPECT_EQ(getConnectionString(ConnectionSource::kApplicationFirst), configured_.ConnectionString()); });
  });
}

// A configuration that cannot be read fails the caller; under Product with
// a context the failure is ignored and the opening of the connection fails.
TEST_F(CatalogConnection, AFailingConfigurationReachesTheCallerUnlessProductRunsInAContext) {
  ::setenv("SUITE_CONFIG", (sandbox_.Dir() + "/missing.ini").c_str(), 1);
  OnFreshThread([&] {
    rt::ComError e = RaisedBy([] { getConnectionString(); });
    EXPECT_EQ(e.number(), static_cast<int32_t>(0x80004005));
    EXPECT_EQ(e.description(), "The configuration file '" + sandbox_.Dir() + "/missing.ini' cannot be read");
    EXPECT_EQ(AsProduct(rt::Variant()), "");
    AsCatalogCode(
        [] {
          EXPECT_EQ(RaisedBy([] { getConnection(false, ConnectionSource::kApplicationFirst); }).number(),
                    static_cast<int32_t>(0x80004005));
          EXPECT_EQ(rt::Err().number, 0);
          // Other classes in a context still fail at the configuration.
          EXPECT_EQ(RaisedBy([] { getConnectionString(); }).description(),
                    "The configuration file '" + std::string(::getenv("SUITE_CONFIG")) + "' cannot be read");
        },
        true);
  });
}

}  // namespace
