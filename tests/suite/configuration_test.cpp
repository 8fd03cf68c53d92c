// Tests of "Solvane.Configuration": sections and keys in any letter case,
// server sections, modules, the install folder and a rewritten file.
#include <gtest/gtest.h>

#include "interfaces/solvane.h"
#include "runtime/com_error.h"
#include "runtime/registry.h"
#include "tests/common/suite_sandbox.h"

namespace {

class ConfigurationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sandbox.WriteConfig(
        "; written by the test\n"
        "[INSTALL]\n"
        "Dir=/opt/suite//\n"
        "[COMPONENTS]\n"
        "Quarvel = Data Source=/var/quarvel.db;Mode=rw \n"
        "[MODULES]\n"
        "Quillet=yes\n"
        "Budget=No\n"
        "[CONNECTIONS]\n"
        "BrintorConnection_ConnectionString=Data Source=/var/brintor.db\n"
        "QuarvelConnection_ConnectionString=Data Source=/var/quarvel.db\n"
        "[Vorthem/connections]\n"
        "BrintorConnection_ConnectionString=Data Source=/srv/vorthem.db\n"
        "[COMMONPARAMETERS]\n"
        "UNSPSCIMPLEMENTED=No\n");
    object = rt::CreateObject("Solvane.Configuration");
    config = std::dynamic_pointer_cast<IConfiguration>(object);
    ASSERT_TRUE(config);
  }
  SuiteSandbox sandbox;
  rt::ObjectPtr object;
  std::shared_ptr<IConfiguration> config;
};

TEST_F(ConfigurationTest, ValuesByNameInAnyLetterCaseWithServerSectionsWinningUntilTheDefaultIsSelectedAgain) {
  EXPECT_EQ(config->GetComponentConnectionString("QUARVEL"), "Data Source=/var/quarvel.db;Mode=rw");
  EXPECT_EQ(config->GetValue("NOSUCHSECTION", "Dir"), "");
  rt::Args args{rt::Variant("Vorthem"), rt::Variant(int32_t{0})};
  object->Invoke("SelectServer", rt::CallKind::Method, args);
  EXPECT_EQ(config->GetValue("CONNECTIONS", "BrintorConnection_ConnectionString"),
            "Data Source=/srv/vorthem.db");
  // A key the server's section lacks comes from the plain section.
  EXPECT_EQ(config->GetValue("CONNECTIONS", "QuarvelConnection_ConnectionString"),
            "Data Source=/var/quarvel.db");

  rt::Args none{rt::Variant(int16_t{0})};
  object->Invoke("SelectDefaultServer", rt::CallKind::Method, none);
  EXPECT_EQ(config->GetValue("connections", "brintorconnection_connectionstring"),
            "Data Source=/var/brintor.db");
}

TEST_F(ConfigurationTest, LateBoundCallsAsTheLibrariesMakeThem) {
  rt::Args zero{rt::Variant(int16_t{0})};
  object->Invoke("PrepareConnection", rt::CallKind::Method, zero);
  object->Invoke("SelectDefaultServer", rt::CallKind::Method, zero);
  EXPECT_EQ(rt::CStr(object->Call("GetValue", {rt::Variant("COMMONPARAMETERS"),
                                               rt::Variant("UNSPSCIMPLEMENTED")})),
            "No");
  EXPECT_EQ(rt::CStr(object->Call("GetInstallDir")), "/opt/suite");
  EXPECT_TRUE(rt::CBool(object->Call("IsModuleInstalled", {rt::Variant("Quillet")})));
  EXPECT_FALSE(config->IsModuleInstalled("Budget"));
  EXPECT_FALSE(config->IsModuleInstalled("Unknown"));

  // A rewritten file is read again.
  sandbox.WriteConfig("[COMMONPARAMETERS]\nUNSPSCIMPLEMENTED=Yes\n");
  EXPECT_EQ(config->GetValue("COMMONPARAMETERS", "UNSPSCIMPLEMENTED"), "Yes");
}

}  // namespace
