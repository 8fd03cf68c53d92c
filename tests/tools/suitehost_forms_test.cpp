// End-to-end tests of suitehost's command line (help and refusals on every
// command) and of the script forms that name results and print the suite's
// paged lists and result objects.
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "data/schema.h"
#include "tests/tools/host_process.h"

namespace {

using hosttest::HostResult;
using hosttest::Lines;
using ::testing::HasSubstr;
using ::testing::Not;
namespace fs = std::filesystem;

class HostCommandLine : public ::testing::Test {
 protected:
  HostResult Host(const std::vector<std::string>& args, const std::string& input = {}) {
    return hosttest::RunHost(args, temp_.path(), input, {{"SUITE_CONFIG", ""}});
  }
  // What the host left in its working folder.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(temp_.path())) names.push_back(entry.path().filename().string());
    return names;
  }
  std::string Dir() const { return fs::canonical(temp_.path()).string(); }

  hosttest::TempFolder temp_;
};

// --- help and refusals -------------------------------------------------------------

TEST_F(HostCommandLine, HelpOnEveryCommandPrintsItsUsageAndDoesNothingElse) {
  for (const std::string path : {"", "init", "call", "run", "directory", "help", "directory add", "directory set",
                                 "directory show", "directory list", "directory remove"}) {
    std::vector<std::string> args;
    std::istringstream words(path);
    for (std::string word; words >> word;) args.push_back(word);
    args.push_back("--help");
    HostResult r = Host(args);
    EXPECT_EQ(r.exitCode, 0) << path;
    EXPECT_THAT(r.out, HasSubstr("Usage: suitehost " + (path.empty() ? "" : path + " ") + "[OPTIONS]")) << path;
    EXPECT_EQ(r.err, "") << path;
  }
  // Neither a folder named "--help" nor an installation.
  EXPECT_EQ(Host({"init", "site", "--help"}).exitCode, 0);
  EXPECT_EQ(Entries(), std::vector<std::string>{});

  HostResult all = Host({"help"});
  EXPECT_EQ(all.exitCode, 0);
  for (const char* command : {"init", "call", "run", "directory", "--typed", "--application", "--session", "--config"})
    EXPECT_THAT(all.out, HasSubstr(command));
}

TEST_F(HostCommandLine, UnknownOptionsAndMissingOperandsAreRefusedWithTheCommandsUsage) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
      {{"init", "site", "--bogus"}, "suitehost init"},
      {{"init"}, "suitehost init"},
      {{"run", "-", "--verbose"}, "suitehost run"},
      {{"call", "Scripting.Dictionary", "Count", "--typed"}, "suitehost call"},
      {{"directory", "list", "-x"}, "suitehost directory list"},
      {{"directory", "add", "kim"}, "suitehost directory add"},
      {{"directory", "set", "kim", "novalue"}, "suitehost directory set"},
      // A fault among the host options goes with the host's usage, which
      // lists them, whatever command follows.
      {{"--application", "NOEQUALS", "call", "Scripting.Dictionary", "Count"}, "Usage: suitehost [OPTIONS] SUBCOMMAND"},
      {{"--session", "REMOTE_ACCOUNT", "call", "Scripting.Dictionary", "Count"}, "Usage: suitehost [OPTIONS] SUBCOMMAND"},
      {{"--bogus", "call", "Scripting.Dictionary", "Count"}, "Usage: suitehost [OPTIONS] SUBCOMMAND"},
      {{"--config"}, "Usage: suitehost [OPTIONS] SUBCOMMAND"},
      {{"bogus"}, "Usage: suitehost [OPTIONS] SUBCOMMAND"},
  };
  for (const auto& [args, usage] : refused) {
    HostResult r = Host(args);
    EXPECT_EQ(r.exitCode, 2) << usage;
    EXPECT_EQ(r.out, "") << usage;
    EXPECT_THAT(r.err, HasSubstr(usage)) << r.err;
    EXPECT_EQ(r.err.rfind("suitehost: ", 0), 0u) << r.err;
  }
  EXPECT_THAT(Host({"init", "site", "--bogus"}).err, HasSubstr("--bogus"));
  EXPECT_EQ(Lines(Host({"bogus"}).err).at(0), "suitehost: unknown command 'bogus'");
  EXPECT_EQ(Entries(), std::vector<std::string>{});
}

// A host option after the command is refused with the command's usage and
// one line that says where it goes; a word after "--" is an argument.
TEST_F(HostCommandLine, AHostOptionAfterTheCommandGetsAHint) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> misplaced = {
      {{"call", "Brintor.Currency", "GetHomeCurrency", "--typed"},
       "suitehost: --typed is a host option and comes before the command: suitehost --typed call ..."},
      {{"run", "-", "--config=site.ini"},
       "suitehost: --config is a host option and comes before the command: suitehost --config FILE run ..."},
      {{"directory", "list", "--session", "A=B"},
       "suitehost: --session is a host option and comes before the command: suitehost --session KEY=VALUE directory "
       "..."},
  };
  for (const auto& [args, hint] : misplaced) {
    HostResult r = Host(args);
    EXPECT_EQ(r.exitCode, 2) << hint;
    const std::vector<std::string> lines = Lines(r.err);
    ASSERT_GE(lines.size(), 3u) << r.err;
    EXPECT_EQ(lines[1], hint);
    EXPECT_THAT(r.err, HasSubstr("Usage: suitehost " + args[0])) << hint;
  }
  HostResult unknown = Host({"init", "site", "--bogus"});
  EXPECT_THAT(unknown.err, Not(HasSubstr("host option"))) << unknown.err;
  HostResult argument = Host({"call", "Scripting.Dictionary", "Exists", "--", "--typed"});
  EXPECT_EQ(argument.out, "{\"result\":false,\"args\":[\"--typed\"]}\n");
  EXPECT_THAT(argument.err, Not(HasSubstr("host option"))) << argument.err;
}

// --- named results ---------------------------------------------------------------

TEST_F(HostCommandLine, AsNamesAnObjectResultForLaterSteps) {
  const std::string script = R"({"new":"outer","progid":"Scripting.Dictionary"}
{"new":"inner","progid":"Scripting.Dictionary"}
{"call":"outer.Add","args":["x",{"$ref":"inner"}]}
{"get":"outer.Item","args":["x"],"as":"named"}
{"call":"named.Add","args":["k",1]}
{"call":"inner.Count"}
{"get":"outer.Count","as":"notAnObject"}
{"call":"notAnObject.Count"}
{"call":"outer.Add","args":["y",2],"as":"a.b"}
{"let":"outer.Item","args":["z"],"value":3,"as":"c"}
{"call":"outer.Count"}
)";
  HostResult r = Host({"run", "-"}, script);
  EXPECT_EQ(r.exitCode, 1);
  const std::string hostError = "{\"error\":{\"number\":-2147024809,\"source\":\"suitehost\",\"description\":";
  EXPECT_EQ(r.out,
            "{\"result\":{\"$object\":\"Dictionary\"}}\n"
            "{\"result\":{\"$object\":\"Dictionary\"}}\n"
            "{\"result\":{\"$empty\":true},\"args\":[\"x\",{\"$dictionary\":[]}]}\n"
            "{\"result\":{\"$dictionary\":[]},\"args\":[\"x\"]}\n"
            "{\"result\":{\"$empty\":true},\"args\":[\"k\",1]}\n"
            "{\"result\":1,\"args\":[]}\n" +
                hostError + "\"\\\"as\\\" names an object, but the result is Long\"}}\n" + hostError +
                "\"no script object named \\\"notAnObject\\\"\"}}\n" + hostError +
                "\"an object's name is not empty and holds no \\\".\\\"\"}}\n" + hostError +
                "\"\\\"as\\\" names the result of a \\\"call\\\" or \\\"get\\\" step\"}}\n"
                // The refused steps ran nothing: "y" and "z" were never added.
                "{\"result\":1,\"args\":[]}\n");
}

// --- the suite's objects ------------------------------------------------------------

TEST_F(HostCommandLine, APagedListPrintsItsCurrentPage) {
  data::CreateDatabase(Dir() + "/list.db", {});
  const std::string cs = "Provider=SQLite;Data Source=" + Dir() + "/list.db";
  const std::string script = R"js({"new":"c","progid":"ADODB.Connection"}
{"call":"c.Open","args":[")js" + cs + R"js("]}
{"call":"c.Execute","args":["CREATE TABLE UNIT (UNITCODE nvarchar(10), DESCRIPTION nvarchar(40))"]}
{"call":"c.Execute","args":["INSERT INTO UNIT VALUES ('BOX','Box'),('EA','Each'),('KG','Kilogram'),('M','Metre'),('PK','Pack')"]}
{"new":"p","progid":"Tamrick.Page"}
{"get":"p.Recordset","as":"list"}
{"let":"list.ConnectionString","value":")js" + cs + R"js("}
{"let":"list.PageSize","value":2}
{"call":"list.ApplyRequest","args":[true,2]}
{"call":"list.Open","args":["SELECT * FROM UNIT","UNITCODE"]}
{"get":"p.Recordset"}
{"get":"list.AbsolutePage"}
)js";
  HostResult r = Host({"run", "-"}, script);
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 12u) << r.out;
  // Not open yet: no fields and no rows.
  EXPECT_EQ(lines[5], "{\"result\":{\"$recordset\":{\"fields\":[],\"rows\":[]}},\"args\":[]}");
  EXPECT_EQ(lines[10],
            "{\"result\":{\"$recordset\":{\"fields\":[\"UNITCODE\",\"DESCRIPTION\"],"
            "\"rows\":[[\"KG\",\"Kilogram\"],[\"M\",\"Metre\"]]}},\"args\":[]}");
  EXPECT_EQ(lines[11], "{\"result\":2,\"args\":[]}");
}

TEST_F(HostCommandLine, AResultObjectPrintsItsOutcomeMessagesAndRecordValues) {
  const std::string script = R"({"new":"r","progid":"Solvane.ResultObject"}
{"new":"d","progid":"Scripting.Dictionary"}
{"call":"d.Add","args":["empty",{"$ref":"r"}]}
{"call":"r.AddRecordValue","args":["ID",{"$integer":5}]}
{"call":"r.AddRecordValue","args":["NAME","Box"]}
{"get":"d.Item","args":["empty"]}
{"call":"r.AddMessage","args":["E_MISSING"]}
{"call":"r.AddMessageWithParameter","args":["E_TOO_LONG","NAME"]}
{"get":"d.Item","args":["empty"]}
{"call":"d.Exists","args":[{"$result":{}}]}
)";
  HostResult r = Host({"run", "-"}, script);
  EXPECT_EQ(r.exitCode, 1);
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 10u) << r.out;
  EXPECT_EQ(lines[5],
            "{\"result\":{\"$result\":{\"succeeded\":true,\"messages\":[],"
            "\"recordValues\":[[\"ID\",{\"$integer\":5}],[\"NAME\",\"Box\"]]}},\"args\":[\"empty\"]}");
  EXPECT_EQ(lines[8],
            "{\"result\":{\"$result\":{\"succeeded\":false,\"messages\":[\"E_MISSING\",\"E_TOO_LONG:NAME\"],"
            "\"recordValues\":[[\"ID\",{\"$integer\":5}],[\"NAME\",\"Box\"]]}},\"args\":[\"empty\"]}");
  // An output form only.
  EXPECT_THAT(lines[9], HasSubstr("\\\"$result\\\": is an output form only"));
}

}  // namespace
