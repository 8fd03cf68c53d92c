// End-to-end tests of what suitehost adds on standard error: the member and
// argument of a failed call, the script line of a failed step, a
// configuration or script it cannot read; and of the usage texts that list
// the value forms and the directory's operands.
#include <unistd.h>

#include <map>
#include <regex>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/tools/host_process.h"

namespace {

using hosttest::HostResult;
using hosttest::WriteFile;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

class HostNotes : public ::testing::Test {
 protected:
  HostResult Host(const std::vector<std::string>& args, const std::string& input = {},
                  const std::string& config = "") {
    return hosttest::RunHost(args, temp_.path(), input, {{"SUITE_CONFIG", config}});
  }
  // Standard output and standard error in one stream, as 2>&1 gives them.
  HostResult Merged(const std::vector<std::string>& args, const std::string& input = {}) {
    return hosttest::RunHost(args, temp_.path(), input, {{"SUITE_CONFIG", ""}}, true);
  }
  std::string Dir() const { return fs::canonical(temp_.path()).string(); }

  hosttest::TempFolder temp_;
};

struct CallCase {
  std::vector<std::string> args;
  std::string out;  // the answer, as it always was
  std::string err;  // the note
};

// The error object is printed as it always was; the note beside it names
// what was called and, where converting an argument failed, its position.
TEST_F(HostNotes, AFailedCallNamesItsMemberAndArgument) {
  ASSERT_EQ(Host({"init", "inst", "--sample"}).exitCode, 0);
  const std::string config = Dir() + "/inst/suite.ini";
  const std::vector<CallCase> cases = {
      {{"Brintor.Currency", "NoSuchMethod"},
       R"({"error":{"number":438,"source":"Brintor","description":"Object doesn't support this property or method"}})",
       "suitehost: Brintor.Currency.NoSuchMethod: Object doesn't support this property or method\n"},
      {{"Brintor.Currency", "ConvertAmount", "EUR", "USD", "abc", "2026-12-08"},
       R"({"error":{"number":13,"source":"Brintor","description":"Type mismatch"}})",
       "suitehost: Brintor.Currency.ConvertAmount, argument 3: Type mismatch\n"},
      {{"Brintor.Currency", "ConvertAmount", "EUR", "USD"},
       R"({"error":{"number":449,"source":"Brintor","description":"Argument not optional"}})",
       "suitehost: Brintor.Currency.ConvertAmount, argument 3: Argument not optional\n"},
      // A failure inside the member names no argument; its block goes on one line.
      {{"Brintor.Currency", "ConvertAmount", "XXX", "USD", "1", "2026-12-08"},
       R"({"error":{"number":-2147221388,"source":"Brintor","description":"\r\nERROR 0x80040074\r\n METHOD: )"
       R"(Brintor.Currency.ConvertAmount\r\n DESC: \r\nERROR 0x80040074\r\n METHOD: Brintor.Currency.GetCurrency)"
       R"(\r\n DESC: Currency 'XXX' not found.\r\n INFO: .\r\n.\r\n"}})",
       "suitehost: Brintor.Currency.ConvertAmount: ERROR 0x80040074 METHOD: Brintor.Currency.ConvertAmount DESC: "
       "ERROR 0x80040074 METHOD: Brintor.Currency.GetCurrency DESC: Currency 'XXX' not found. INFO: . .\n"},
      {{"Nowhere.Nothing", "Run"},
       R"({"error":{"number":-2147221005,"source":"","description":"Invalid class string: Nowhere.Nothing"}})",
       "suitehost: Nowhere.Nothing: Invalid class string: Nowhere.Nothing\n"},
      {{"Brintor.Currency", "ConvertAmount", "EUR", "USD", "1", "2026-12-08"},
       R"({"result":{"$currency":"1.1655"},"args":["EUR","USD",{"$currency":"1"},{"$date":"2026-12-08"}]})", ""},
  };
  for (const CallCase& c : cases) {
    std::vector<std::string> args = {"call"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    HostResult r = Host(args, {}, config);
    const std::string name = c.args[0] + " " + c.args[1] + " (" + std::to_string(c.args.size() - 2) + " arguments)";
    EXPECT_EQ(r.out, c.out + "\n") << name;
    EXPECT_EQ(r.err, c.err) << name;
    EXPECT_EQ(r.exitCode, c.err.empty() ? 0 : 1) << name;
  }
}

// Each failed step's note names the script and the line (blank lines and
// comments counted), then what the step called, where it got that far.
TEST_F(HostNotes, AFailedStepNamesItsScriptLine) {
  const std::string script = R"(# a comment
{"new":"d","progid":"Scripting.Dictionary"}

{"let":"d.CompareMode","value":"text"}
{"new":"c","progid":"ADODB.Connection"}
{"call":"c.Open","args":["Provider=SQLite",null]}
{"call":"nobody.Count"}
{"new":"x","progid":"Nowhere.Nothing"}
not json
{"call":"d.Count"}
)";
  WriteFile(temp_.path() / "steps.jsonl", script);
  WriteFile(temp_.path() / "suite.ini", "");
  const std::string notes =
      "suitehost: steps.jsonl:4: d.CompareMode, value: Type mismatch\n"
      "suitehost: steps.jsonl:6: c.Open, argument 2: Invalid use of Null\n"
      "suitehost: steps.jsonl:7: no script object named \"nobody\"\n"
      "suitehost: steps.jsonl:8: Nowhere.Nothing: Invalid class string: Nowhere.Nothing\n"
      "suitehost: steps.jsonl:9: not a JSON step: [json.exception.parse_error.101] parse error at line 1, column 2: "
      "syntax error while parsing value - invalid literal; last read: 'no'\n";
  HostResult file = Host({"run", "steps.jsonl"});
  EXPECT_EQ(file.exitCode, 1);
  EXPECT_EQ(file.err, notes);
  EXPECT_EQ(hosttest::Lines(file.out).size(), 8u) << file.out;

  HostResult input = Host({"run", "-"}, script);
  EXPECT_EQ(input.err, std::regex_replace(notes, std::regex("steps\\.jsonl:"), "stdin:"));
}

// Where both streams go to one place, each note follows the answer it is
// about, for a call and for every step of a script.
TEST_F(HostNotes, TheNoteFollowsItsAnswerWhereBothStreamsMeet) {
  WriteFile(temp_.path() / "suite.ini", "");
  WriteFile(temp_.path() / "steps.jsonl", R"({"new":"d","progid":"Scripting.Dictionary"}
{"new":"c","progid":"ADODB.Connection"}
{"call":"c.Open","args":["Provider=SQLite",null]}
{"new":"x","progid":"Nowhere.Nothing"}
{"call":"d.Exists","args":["EUR"]}
)");
  const std::string nowhere =
      R"({"error":{"number":-2147221005,"source":"","description":"Invalid class string: Nowhere.Nothing"}})";
  struct MergedCase {
    std::string name;
    std::vector<std::string> args;
    std::string out;
  };
  const std::vector<MergedCase> cases = {
      {"a class that cannot be created", {"call", "Nowhere.Nothing", "Run"},
       nowhere + "\nsuitehost: Nowhere.Nothing: Invalid class string: Nowhere.Nothing\n"},
      {"an argument that does not convert", {"call", "ADODB.Connection", "Open", "Provider=SQLite", "null"},
       R"({"error":{"number":94,"source":"","description":"Invalid use of Null"}})"
       "\nsuitehost: ADODB.Connection.Open, argument 2: Invalid use of Null\n"},
      {"a script",
       {"run", "steps.jsonl"},
       "{\"result\":{\"$object\":\"Dictionary\"}}\n{\"result\":{\"$object\":\"Connection\"}}\n"
       R"({"error":{"number":94,"source":"","description":"Invalid use of Null"}})"
       "\nsuitehost: steps.jsonl:3: c.Open, argument 2: Invalid use of Null\n" +
           nowhere + "\nsuitehost: steps.jsonl:4: Nowhere.Nothing: Invalid class string: Nowhere.Nothing\n"
           "{\"result\":false,\"args\":[\"EUR\"]}\n"},
  };
  for (const MergedCase& c : cases) {
    HostResult r = Merged(c.args);
    EXPECT_EQ(r.out, c.out) << c.name;
    EXPECT_EQ(r.exitCode, 1) << c.name;
  }
}

// A value that is no valid form is named by its position: a call's argument
// is refused with the usage before anything is created; a script step's
// argument or value fails the step, whose note names the member too.
TEST_F(HostNotes, AValueThatIsNoValidFormIsNamedByItsPosition) {
  WriteFile(temp_.path() / "suite.ini", "");
  struct FormCase {
    std::vector<std::string> args;
    std::string err;  // the first line
  };
  const std::vector<FormCase> calls = {
      {{"EUR", "USD", R"({"$currency":"abc"})"}, R"(suitehost: argument 3: "$currency": Type mismatch)"},
      {{R"([1,{"$integer":70000}])"}, R"(suitehost: argument 1: "$integer": out of range)"},
      {{"1", R"({"a":1})"},
       R"(suitehost: argument 2: an object must be one "$form": value pair, as {"$integer":5})"},
  };
  for (const FormCase& c : calls) {
    std::vector<std::string> args = {"call", "Scripting.Dictionary", "Add"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    HostResult r = Host(args);
    EXPECT_EQ(r.exitCode, 2) << c.err;
    EXPECT_EQ(r.out, "") << c.err;
    EXPECT_EQ(hosttest::Lines(r.err).at(0), c.err);
    EXPECT_THAT(r.err, HasSubstr("Usage:")) << c.err;
  }

  WriteFile(temp_.path() / "steps.jsonl", R"({"new":"d","progid":"Scripting.Dictionary"}
{"call":"d.Add","args":["EUR",{"$currency":"abc"}]}
{"let":"d.CompareMode","value":{"$integer":"1"}}
{"call":"d.Exists","args":[{"$ref":"zz"}]}
{"call":"d.Count"}
)");
  HostResult run = Host({"run", "steps.jsonl"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err,
            "suitehost: steps.jsonl:2: d.Add, argument 2: \"$currency\": Type mismatch\n"
            "suitehost: steps.jsonl:3: d.CompareMode, value: \"$integer\": needs a number\n"
            "suitehost: steps.jsonl:4: d.Exists, argument 1: no script object named \"zz\"\n");
  // The answers themselves are as they were: the host's error, and the
  // script went on.
  const std::vector<std::string> out = hosttest::Lines(run.out);
  ASSERT_EQ(out.size(), 5u) << run.out;
  EXPECT_EQ(out[1], R"({"error":{"number":-2147024809,"source":"suitehost","description":"\"$currency\": Type mismatch"}})");
  EXPECT_EQ(out[4], R"({"result":0,"args":[]})");
}

TEST_F(HostNotes, AScriptThatCannotBeReadIsNamedWithTheReason) {
  WriteFile(temp_.path() / "suite.ini", "");
  fs::create_directory(temp_.path() / "folder");
  const std::map<std::string, std::string> cases = {
      {"missing.jsonl", "suitehost: run: cannot read missing.jsonl: No such file or directory\n"},
      {"folder", "suitehost: run: cannot read folder: Is a directory\n"},
  };
  for (const auto& [file, err] : cases) {
    HostResult r = Host({"run", file});
    EXPECT_EQ(r.exitCode, 1) << file;
    EXPECT_EQ(r.err, err) << file;
  }
}

// The configuration the host chose is named, with the system's reason,
// before anything is created when it cannot be read; the host goes on, as
// its own classes need none.
TEST_F(HostNotes, AnUnreadableConfigurationIsNamedBeforeAnythingRuns) {
  const std::string count = "{\"result\":0,\"args\":[]}\n";
  struct ConfigCase {
    std::vector<std::string> args;
    std::string config;  // $SUITE_CONFIG
    std::string err;
  };
  WriteFile(temp_.path() / "site.ini", "[INSTALL]\nDir=/x\n");
  WriteFile(temp_.path() / "locked.ini", "[INSTALL]\nDir=/x\n");
  fs::permissions(temp_.path() / "locked.ini", fs::perms::none);
  const std::string hint = "; pass --config or set SUITE_CONFIG\n";
  const std::string missing = ": No such file or directory" + hint;
  std::vector<ConfigCase> cases = {
      {{"--config", "none.ini"}, "", "suitehost: cannot read " + Dir() + "/none.ini" + missing},
      {{}, Dir() + "/gone.ini", "suitehost: cannot read " + Dir() + "/gone.ini" + missing},
      {{}, "", "suitehost: cannot read " + Dir() + "/suite.ini" + missing},
      {{"--config", "."}, "", "suitehost: cannot read " + Dir() + "/: Is a directory" + hint},
      {{"--config", "site.ini/x.ini"}, "", "suitehost: cannot read " + Dir() + "/site.ini/x.ini: Not a directory" + hint},
      {{"--config", "site.ini"}, "", ""},
  };
  // The superuser reads any file whatever its permissions.
  if (::geteuid() != 0)
    cases.push_back({{"--config", "locked.ini"}, "", "suitehost: cannot read " + Dir() + "/locked.ini: Permission denied" + hint});
  for (const ConfigCase& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"call", "Scripting.Dictionary", "Count"});
    HostResult r = Host(args, {}, c.config);
    EXPECT_EQ(r.err, c.err) << c.err;
    EXPECT_EQ(r.out, count) << c.err;
    EXPECT_EQ(r.exitCode, 0) << c.err;
  }
  // Neither init nor help reads a configuration.
  EXPECT_EQ(Host({"--config", "none.ini", "help"}).err, "");
  EXPECT_EQ(Host({"--config", "none.ini", "init", "inst"}).err, "");
}

TEST_F(HostNotes, UsagesListTheValueFormsAndTheDirectorysOperands) {
  const std::vector<std::string> call = hosttest::Lines(Host({"call", "--help"}).out);
  std::string values;
  for (const std::string& line : call)
    if (line.starts_with("Values:") || line.starts_with("typed:")) values += line + "\n";
  EXPECT_EQ(values,
            "Values: 5 Long, 1.5 Double, \"5\" or a bare word String, true, null, [1,\"a\"] an array;\n"
            "typed: {\"$currency\":\"1.5\"} {\"$date\":\"2026-12-08\"} {\"$integer\":5} ... (README, \"Values in "
            "JSON\").\n");

  const std::string all = Host({"help"}).out;
  const size_t directory = all.find("\ndirectory\n");
  ASSERT_NE(directory, std::string::npos) << all;
  const std::string tree = all.substr(directory);
  for (const char* operand : {"USERID", "--password P", "--password-stdin", "--attr NAME=VALUE", "NAME=VALUE TEXT"})
    EXPECT_THAT(tree, HasSubstr(operand)) << operand;
}

}  // namespace
