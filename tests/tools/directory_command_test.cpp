// End-to-end tests of `suitehost directory ...` and the sample users of `init --sample`.
#include <map>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/tools/host_process.h"

namespace {

using hosttest::HostResult;
using json = nlohmann::json;
namespace fs = std::filesystem;

class DirectoryCommandTest : public ::testing::Test {
 protected:
  // Runs the host on the installation in the temp folder.
  HostResult Host(const std::vector<std::string>& args) {
    return hosttest::RunHost(args, temp_.path(), {}, {{"SUITE_CONFIG", (Site() / "suite.ini").string()}});
  }
  fs::path Site() const { return temp_.path() / "site"; }
  void Init(bool sample = false) {
    std::vector<std::string> args = {"init", Site().string()};
    if (sample) args.push_back("--sample");
    HostResult r = hosttest::RunHost(args, temp_.path(), {}, {{"SUITE_CONFIG", ""}});
    ASSERT_EQ(r.exitCode, 0) << r.err;
  }
  // The answer of a late-bound Bind through `suitehost call`: "" or the error's number.
  std::string Bind(const std::string& user, const std::string& account, const std::string& password) {
    HostResult r = Host({"call", "Pellorin.User", "Bind", user, account, password});
    json answer = json::parse(r.out);
    if (!answer.contains("error")) return "";
    char number[16];
    std::snprintf(number, sizeof number, "%08X", static_cast<uint32_t>(answer["error"]["number"].get<int32_t>()));
    return number;
  }

  hosttest::TempFolder temp_;
};

TEST_F(DirectoryCommandTest, AddSetShowListRemove) {
  Init();
  HostResult r = Host({"directory", "add", "kim", "--password", "s3cret", "--attr", "Name=Kim", "--attr",
                       "roles=2,4", "--attr", "SpendLimit=99.5"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "Added kim\n");
  r = Host({"directory", "add", "Amy", "--password", "pw"});
  ASSERT_EQ(r.exitCode, 0) << r.err;

  r = Host({"directory", "set", "KIM", "ProjectRoles=PM, DEV", "BuyerRole=true", "FallbackValues=7",
            "DefaultURL.17=https://suite/a,b", "Name="});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "Changed KIM\n");

  r = Host({"directory", "show", "kim"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.find('$'), std::string::npos) << "a password hash is shown: " << r.out;
  EXPECT_EQ(json::parse(r.out),
            json::parse(R"({"cn":"kim","attributes":{"BuyerRole":true,"DefaultURL.17":"https://suite/a,b",
                            "FallbackValues":[7],"ProjectRole":["PM","DEV"],"SpendLimit":99.5,"VYRole":[2,4]}})"));

  r = Host({"directory", "list"});
  EXPECT_EQ(r.out, "Amy\nkim\n");

  // The password given at add binds; another does not.
  EXPECT_EQ(Bind("amy", "kim", "s3cret"), "");
  EXPECT_EQ(Bind("amy", "kim", "S3cret"), "8007052E");

  r = Host({"directory", "remove", "Kim"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "Removed Kim\n");
  EXPECT_EQ(Host({"directory", "list"}).out, "Amy\n");
  EXPECT_EQ(Bind("amy", "kim", "s3cret"), "8007052E");
}

TEST_F(DirectoryCommandTest, RefusalsAndMalformedCommands) {
  Init();
  ASSERT_EQ(Host({"directory", "add", "kim", "--password", "pw"}).exitCode, 0);

  HostResult r = Host({"directory", "add", "KIM", "--password", "pw"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "suitehost: directory: The directory already holds the user 'kim'\n");
  r = Host({"directory", "set", "kim", "BuyerRole=maybe"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "suitehost: directory: BuyerRole: 'maybe' is not a Boolean\n");
  r = Host({"directory", "show", "nobody"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "suitehost: directory: no user 'nobody'\n");
  EXPECT_EQ(Host({"directory", "remove", "nobody"}).exitCode, 1);
  EXPECT_EQ(Host({"directory", "set", "nobody", "Name=x"}).exitCode, 1);
  EXPECT_EQ(Host({"directory", "add", "a,b", "--password", "pw"}).exitCode, 1);
  EXPECT_EQ(Host({"directory", "set", "kim", "cn=other"}).exitCode, 1);

  EXPECT_EQ(Host({"directory"}).exitCode, 2);
  EXPECT_EQ(Host({"directory", "show", "kim", "extra"}).exitCode, 2);
  EXPECT_EQ(Host({"directory", "frobnicate", "kim"}).exitCode, 2);
  // A failed set changed nothing.
  EXPECT_EQ(json::parse(Host({"directory", "show", "kim"}).out)["attributes"], json::object());
}

// The password can come from standard input, its first line without the
// line break, so that it never shows among the command's words.
TEST_F(DirectoryCommandTest, AddReadsThePasswordFromStandardInput) {
  Init();
  const std::string config = (Site() / "suite.ini").string();
  auto add = [&](std::vector<std::string> args, const std::string& input) {
    args.insert(args.begin(), {"directory", "add"});
    return hosttest::RunHost(args, temp_.path(), input, {{"SUITE_CONFIG", config}});
  };
  HostResult r = add({"kim", "--password-stdin"}, "from input\r\nsecond line\n");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "Added kim\n");
  EXPECT_EQ(Bind("kim", "kim", "from input"), "");
  EXPECT_EQ(Bind("kim", "kim", "second line"), "8007052E");

  r = add({"amy", "--password-stdin"}, "");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "suitehost: directory: no password on standard input\n");
  // Both ways of giving the password, or neither, are usage errors.
  for (const std::vector<std::string>& both : {std::vector<std::string>{"amy", "--password", "pw", "--password-stdin"},
                                               std::vector<std::string>{"amy"}}) {
    const char* which = both.size() == 1 ? "neither" : "both";
    r = add(both, "pw\n");
    EXPECT_EQ(r.exitCode, 2) << which;
    EXPECT_THAT(r.err, ::testing::HasSubstr("Usage: suitehost directory add")) << which;
  }
  EXPECT_EQ(Host({"directory", "list"}).out, "kim\n");
}

TEST_F(DirectoryCommandTest, SampleInstallationHoldsItsUsers) {
  Init(/*sample=*/true);
  EXPECT_EQ(Host({"directory", "list"}).out, "approver1\nbuyer1\ninternal1\nscriptuser\nsupplier1\n");
  json buyer = json::parse(Host({"directory", "show", "buyer1"}).out);
  EXPECT_EQ(buyer["attributes"]["VYRole"], json::array({2}));
  EXPECT_EQ(buyer["attributes"]["AdminOffice"], "Head office");
  EXPECT_EQ(json::parse(Host({"directory", "show", "supplier1"}).out)["attributes"]["VYRole"], json::array({6}));
  EXPECT_EQ(Bind("internal1", "buyer1", "sample"), "");
  // The script account that suite.ini names binds, so the internal-user
  // list works on a fresh sample installation.
  EXPECT_EQ(Bind("supplier1", "scriptuser", "sample"), "");
  HostResult r = Host({"call", "Brintor.User", "GetAllInternalUsers", "\"\"", "10"});
  ASSERT_FALSE(json::parse(r.out).contains("error")) << r.out;
  EXPECT_NE(r.out.find("internal1"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("supplier1"), std::string::npos) << r.out;
}

}  // namespace
