// End-to-end tests of the suitehost binary: init, call, run and the JSON value forms.
#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "data/sqlite_text_rules.h"
#include "tests/tools/host_process.h"

namespace {

using hosttest::HostResult;
using hosttest::Lines;
using hosttest::ReadFile;
using hosttest::WriteFile;
using json = nlohmann::json;
namespace fs = std::filesystem;

constexpr int kInvalidClassString = -2147221005;  // 0x800401F3
constexpr int kHostError = -2147024809;           // 0x80070057

class SuitehostTest : public ::testing::Test {
 protected:
  // The host runs in the temp folder; a stray SUITE_CONFIG of the caller
  // must not leak in.
  HostResult Host(const std::vector<std::string>& args, const std::string& input = {},
                  std::map<std::string, std::string> env = {}) {
    if (!env.count("SUITE_CONFIG")) env["SUITE_CONFIG"] = "";
    return hosttest::RunHost(args, temp_.path(), input, env);
  }
  fs::path Dir() const { return fs::canonical(temp_.path()); }

  hosttest::TempFolder temp_;
};

// --- SQLite helpers ------------------------------------------------------------

class Db {
 public:
  explicit Db(const std::string& path) {
    sqlite3_open(path.c_str(), &db_);
    data::InstallSqlServerTextRules(db_);
  }
  ~Db() { sqlite3_close(db_); }
  bool Exec(const std::string& sql) {
    return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  }
  std::vector<std::string> Column(const std::string& sql) {
    std::vector<std::string> values;
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr);
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
      const unsigned char* text = sqlite3_column_text(stmt, 0);
      values.push_back(text ? reinterpret_cast<const char*>(text) : "NULL");
    }
    sqlite3_finalize(stmt);
    return values;
  }
  // Every table with its row count, as "NAME=count".
  std::vector<std::string> TableCounts() {
    std::vector<std::string> counts;
    for (const std::string& table :
         Column("SELECT name FROM sqlite_master WHERE type='table' ORDER BY name"))
      counts.push_back(table + "=" + Column("SELECT count(*) FROM \"" + table + "\"")[0]);
    return counts;
  }

 private:
  sqlite3* db_ = nullptr;
};

std::vector<fs::path> SqlFiles(const fs::path& folder) {
  std::vector<fs::path> files;
  if (fs::is_directory(folder))
    for (const auto& entry : fs::directory_iterator(folder))
      if (entry.path().extension() == ".sql") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

// The tables and row counts that running the source tree's SQL files gives.
std::vector<std::string> ExpectedCatalog(bool withSample) {
  Db reference(":memory:");
  const fs::path db = fs::path(SUITE_SOURCE_DIR) / "db";
  std::vector<fs::path> files = SqlFiles(db);
  if (withSample) {
    std::vector<fs::path> sample = SqlFiles(db / "sample");
    files.insert(files.end(), sample.begin(), sample.end());
  }
  for (const fs::path& file : files) EXPECT_TRUE(reference.Exec(ReadFile(file))) << file;
  std::vector<std::string> counts = reference.TableCounts();
  if (withSample) {
    // The sample countries come from the system's ISO 3166 list, read at init time.
    std::ifstream in("/usr/share/iso-codes/json/iso_3166-1.json");
    const size_t countries = nlohmann::json::parse(in).at("3166-1").size();
    for (std::string& line : counts)
      if (line.rfind("COUNTRY=", 0) == 0) line = "COUNTRY=" + std::to_string(countries);
  }
  return counts;
}

// A sample installation names the sample directory's script account.
std::string ExpectedIni(const std::string& dir, bool sample) {
  const std::string cs = "Provider=SQLite;Data Source=" + dir + "/catalog.db";
  return "[INSTALL]\nDir=" + dir + "\n[LOG]\nFile=" + dir + "/suite.log\n[DIRECTORY]\nPath=" + dir +
         "/directory.db\n[CONNECTIONS]\nBrintorConnection_ConnectionString=" + cs +
         "\nQuarvelConnection_ConnectionString=" + cs + "\n[COMPONENTS]\nQuarvel=" + cs +
         "\n[MODULES]\nQuillet=No\n[MEMBERSHIP]\n" +
         (sample ? "MemScriptUser=scriptuser\nMemScriptCode=sample\n" : "MemScriptUser=\nMemScriptCode=\n") +
         "LDAPRoot=\n[COMMONPARAMETERS]\nUNSPSCIMPLEMENTED=No\n[MAIL]\nPickupDir=" + dir + "/mail/pickup\n";
}

std::map<std::string, std::string> FolderContents(const fs::path& dir) {
  std::map<std::string, std::string> contents;
  for (const auto& entry : fs::directory_iterator(dir))
    contents[entry.path().filename().string()] = entry.is_directory() ? "(folder)" : ReadFile(entry.path());
  return contents;
}

// --- init ------------------------------------------------------------------------

TEST_F(SuitehostTest, InitWritesDatabasesAndConfigurationFromARelativePath) {
  HostResult r = Host({"init", "sites/main", "--sample"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const fs::path dir = Dir() / "sites" / "main";

  EXPECT_EQ(ReadFile(dir / "suite.ini"), ExpectedIni(dir.string(), true));
  Db catalog((dir / "catalog.db").string());
  EXPECT_EQ(catalog.Column("PRAGMA integrity_check"), std::vector<std::string>{"ok"});
  EXPECT_EQ(catalog.TableCounts(), ExpectedCatalog(true));

  // The directory is a real database file, not a zero-length one.
  EXPECT_EQ(ReadFile(dir / "directory.db").substr(0, 16), std::string("SQLite format 3\0", 16));
  Db directory((dir / "directory.db").string());
  EXPECT_EQ(directory.Column("PRAGMA integrity_check"), std::vector<std::string>{"ok"});

  // Nothing but the four files, the empty download folder, the empty mail
  // pickup folder and the schema folder: the temporary names are gone.
  std::vector<std::string> names;
  for (const auto& [name, text] : FolderContents(dir)) names.push_back(name);
  EXPECT_THAT(names, ::testing::ElementsAre("XMLDownload", "catalog.db", "directory.db", "mail", "references.ini",
                                            "suite.ini", "xmlschemas"));
  EXPECT_EQ(FolderContents(dir / "xmlschemas"),
            (std::map<std::string, std::string>{
                {"UNSPSC_Schema.xml", ReadFile(fs::path(SUITE_SOURCE_DIR) / "db/xmlschemas/UNSPSC_Schema.xml")}}));
  EXPECT_TRUE(fs::is_directory(dir / "XMLDownload"));
  EXPECT_TRUE(fs::is_empty(dir / "XMLDownload"));
  EXPECT_TRUE(fs::is_directory(dir / "mail" / "pickup"));
  EXPECT_TRUE(fs::is_empty(dir / "mail" / "pickup"));
}

TEST_F(SuitehostTest, InitWithoutSampleHasTheSchemaOnlyAndASecondInitChangesNothing) {
  ASSERT_EQ(Host({"init", "inst"}).exitCode, 0);
  EXPECT_EQ(ReadFile(Dir() / "inst" / "suite.ini"), ExpectedIni((Dir() / "inst").string(), false));
  EXPECT_EQ(Db((Dir() / "inst" / "catalog.db").string()).TableCounts(), ExpectedCatalog(false));
  const auto before = FolderContents(Dir() / "inst");

  HostResult again = Host({"init", "inst", "--sample"});
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_THAT(again.err, ::testing::HasSubstr("already holds"));
  EXPECT_EQ(again.out, "");
  EXPECT_EQ(FolderContents(Dir() / "inst"), before);
}

TEST_F(SuitehostTest, InitRefusesAFolderHoldingAnyOfItsFilesOrAPathTheConnectionStringCannotCarry) {
  fs::create_directory(Dir() / "inst");
  WriteFile(Dir() / "inst" / "suite.ini", "[INSTALL]\nDir=/elsewhere\n");

  HostResult r = Host({"init", "inst"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_THAT(r.err, ::testing::HasSubstr("suite.ini"));
  EXPECT_EQ(FolderContents(Dir() / "inst"),
            (std::map<std::string, std::string>{{"suite.ini", "[INSTALL]\nDir=/elsewhere\n"}}));

  EXPECT_EQ(Host({"init", "a;b"}).exitCode, 1);
  EXPECT_FALSE(fs::exists(Dir() / "a;b"));

  // A schema of an earlier installation is not overwritten either.
  fs::create_directories(Dir() / "other" / "xmlschemas");
  WriteFile(Dir() / "other" / "xmlschemas" / "UNSPSC_Schema.xml", "mine");
  r = Host({"init", "other"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_THAT(r.err, ::testing::HasSubstr("already holds xmlschemas/UNSPSC_Schema.xml"));
  EXPECT_EQ(FolderContents(Dir() / "other"), (std::map<std::string, std::string>{{"xmlschemas", "(folder)"}}));
  EXPECT_EQ(ReadFile(Dir() / "other" / "xmlschemas" / "UNSPSC_Schema.xml"), "mine");
}

// --- call ------------------------------------------------------------------------

TEST_F(SuitehostTest, CallPrintsTheResultAndTheArgumentsOrTheError) {
  HostResult r = Host({"call", "Scripting.Dictionary", "Exists", "EUR"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "{\"result\":false,\"args\":[\"EUR\"]}\n");

  r = Host({"call", "Nowhere.Nothing", "Run"});
  EXPECT_EQ(r.exitCode, 1);
  json answer = json::parse(r.out);
  ASSERT_EQ(answer.size(), 1u) << r.out;
  EXPECT_EQ(answer["error"]["number"], kInvalidClassString);
  EXPECT_THAT(answer["error"]["description"].get<std::string>(),
              ::testing::HasSubstr("Nowhere.Nothing"));
  EXPECT_TRUE(answer["error"]["source"].is_string());
}

TEST_F(SuitehostTest, CallArgumentsAreJsonOrBareWordsThatMayLookLikeNumbersCommandsOrOptions) {
  auto typedArg = [&](const std::string& arg) {
    const std::string out = Host({"--typed", "call", "Scripting.Dictionary", "Exists", arg}).out;
    return out.substr(0, 29) == "{\"result\":{\"$boolean\":false}," ? out.substr(29) : out;
  };
  EXPECT_EQ(typedArg("{\"$integer\":5}"), "\"args\":[{\"$integer\":5}]}\n");
  EXPECT_EQ(typedArg("5"), "\"args\":[{\"$long\":5}]}\n");
  EXPECT_EQ(typedArg("\"5\""), "\"args\":[{\"$string\":\"5\"}]}\n");
  EXPECT_EQ(typedArg("2026-12-08"), "\"args\":[{\"$string\":\"2026-12-08\"}]}\n");
  // Bracketed arguments stay whole: a JSON array, and a word in brackets.
  EXPECT_EQ(Host({"call", "Scripting.Dictionary", "Add", "[x,y]", "[\"a\",1]"}).out,
            "{\"result\":{\"$empty\":true},\"args\":[\"[x,y]\",[\"a\",1]]}\n");
  // Negative numbers and command names pass as arguments; a word that
  // starts with "-" passes after "--".
  EXPECT_EQ(Host({"call", "Scripting.Dictionary", "Exists", "-5"}).out, "{\"result\":false,\"args\":[-5]}\n");
  EXPECT_EQ(Host({"call", "Scripting.Dictionary", "Exists", "run"}).out, "{\"result\":false,\"args\":[\"run\"]}\n");
  EXPECT_EQ(Host({"call", "Scripting.Dictionary", "Exists", "--", "-x"}).out,
            "{\"result\":false,\"args\":[\"-x\"]}\n");

  // An impossible value is a usage error.
  HostResult r = Host({"call", "Scripting.Dictionary", "Exists", "{\"$integer\":70000}"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_THAT(r.err, ::testing::HasSubstr("$integer"));
}

TEST_F(SuitehostTest, ConfigurationComesFromOptionThenEnvironmentThenWorkingFolder) {
  WriteFile(Dir() / "suite.ini", "[INSTALL]\nDir=/from/working/folder\n");
  WriteFile(Dir() / "env.ini", "[INSTALL]\nDir=/from/environment\n");
  WriteFile(Dir() / "option.ini", "[INSTALL]\nDir=/from/option\n");
  auto dir = [&](std::vector<std::string> args, std::map<std::string, std::string> env) {
    args.insert(args.end(), {"call", "Solvane.Configuration", "GetValue", "INSTALL", "Dir"});
    HostResult r = Host(args, {}, env);
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    return json::parse(r.out)["result"];
  };
  // A relative choice is passed on as an absolute path.
  EXPECT_EQ(dir({"--config", "option.ini"}, {{"SUITE_CONFIG", "env.ini"}}), "/from/option");
  EXPECT_EQ(dir({}, {{"SUITE_CONFIG", "env.ini"}}), "/from/environment");
  EXPECT_EQ(dir({}, {}), "/from/working/folder");
}

// --- run -------------------------------------------------------------------------

TEST_F(SuitehostTest, RunScriptStepsShareObjectsAndGoOnAfterAFailure) {
  const std::string script = R"(# a comment, then a blank line

{"new":"d","progid":"Scripting.Dictionary"}
{"let":"d.CompareMode","value":1}
{"call":"d.Add","args":["EUR",{"$currency":"1.95583"}]}
{"call":"d.Add","args":["eur",2]}
{"get":"d.Item","args":["Eur"]}
{"let":"d.Item","args":["USD"],"value":0.5}
{"new":"outer","progid":"Scripting.Dictionary"}
{"call":"outer.Add","args":["inner",{"$ref":"d"}]}
{"get":"outer.Item","args":["inner"]}
{"call":"nobody.Count"}
{"call":"d.Count"}
)";
  HostResult r = Host({"run", "-"}, script);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out,
            "{\"result\":{\"$object\":\"Dictionary\"}}\n"
            "{\"result\":{\"$empty\":true},\"args\":[]}\n"
            "{\"result\":{\"$empty\":true},\"args\":[\"EUR\",{\"$currency\":\"1.9558\"}]}\n"
            "{\"error\":{\"number\":457,\"source\":\"\",\"description\":\"This key is already "
            "associated with an element of this collection\"}}\n"
            "{\"result\":{\"$currency\":\"1.9558\"},\"args\":[\"Eur\"]}\n"
            "{\"result\":{\"$empty\":true},\"args\":[\"USD\"]}\n"
            "{\"result\":{\"$object\":\"Dictionary\"}}\n"
            "{\"result\":{\"$empty\":true},\"args\":[\"inner\",{\"$dictionary\":[[\"EUR\",{"
            "\"$currency\":\"1.9558\"}],[\"USD\",0.5]]}]}\n"
            "{\"result\":{\"$dictionary\":[[\"EUR\",{\"$currency\":\"1.9558\"}],[\"USD\",0.5]]},"
            "\"args\":[\"inner\"]}\n"
            "{\"error\":{\"number\":-2147024809,\"source\":\"suitehost\",\"description\":\"no "
            "script object named \\\"nobody\\\"\"}}\n"
            "{\"result\":2,\"args\":[]}\n");
}

TEST_F(SuitehostTest, RunReportsMalformedStepsAndSucceedsWhenAllStepsDo) {
  WriteFile(Dir() / "bad.jsonl", "not json\n{\"call\":\"x\"}\n{\"new\":\"d\"}\n{\"frob\":1}\n");
  HostResult r = Host({"run", "bad.jsonl"});
  EXPECT_EQ(r.exitCode, 1);
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 4u) << r.out;
  for (const std::string& line : lines) EXPECT_EQ(json::parse(line)["error"]["number"], kHostError);

  WriteFile(Dir() / "good.jsonl", "{\"new\":\"d\",\"progid\":\"Scripting.Dictionary\"}\n");
  EXPECT_EQ(Host({"run", "good.jsonl"}).exitCode, 0);
  EXPECT_EQ(Host({"run", "missing.jsonl"}).exitCode, 1);
}

// The connection's Execute returns the affected row count by reference and
// rows as a recordset; both must reach the caller.
TEST_F(SuitehostTest, RunShowsByReferenceResultsAndRecordsets) {
  const fs::path file = Dir() / "rows.db";
  { Db created(file.string()); ASSERT_TRUE(created.Exec("PRAGMA user_version=1")); }
  const std::string script =
      "{\"new\":\"c\",\"progid\":\"ADODB.Connection\"}\n"
      "{\"call\":\"c.Open\",\"args\":[\"Provider=SQLite;Data Source=" + file.string() + "\"]}\n" +
      R"js({"call":"c.Execute","args":["CREATE TABLE T (ID int, NAME varchar(20), PRICE money, D datetime)"]}
{"call":"c.Execute","args":["INSERT INTO T SELECT 1, 'a', 1.5, '2026-12-08 10:30:00' UNION ALL SELECT 2, NULL, 2, '2026-12-08'",0]}
{"call":"c.Execute","args":["SELECT ID, NAME, PRICE, D FROM T ORDER BY ID"]}
{"call":"c.Execute","args":["SELECT ID FROM T WHERE 0=1"]}
)js";
  HostResult r = Host({"run", "-"}, script);
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 6u) << r.out;
  EXPECT_EQ(json::parse(lines[3])["args"][1], 2);
  EXPECT_EQ(json::parse(lines[4])["result"].dump(),
            R"({"$recordset":{"fields":["ID","NAME","PRICE","D"],"rows":[)"
            R"([1,"a",{"$currency":"1.5"},{"$date":"2026-12-08 10:30:00"}],)"
            R"([2,null,{"$currency":"2"},{"$date":"2026-12-08"}]]}})");
  EXPECT_EQ(json::parse(lines[5])["result"].dump(), R"({"$recordset":{"fields":["ID"],"rows":[]}})");
}

// Every value form goes into a dictionary and comes back out through Items.
TEST_F(SuitehostTest, ValueFormsSurviveTheRoundTrip) {
  const std::string items =
      R"([1,2147483648,1.5,"text",true,null,{"$integer":-7},{"$single":0.1},{"$byte":255},)"
      R"({"$currency":"-12.3456"},{"$decimal":"1.25"},{"$date":"2026-12-08 10:30:00"},)"
      R"({"$date":"2026-12-08"},{"$empty":true},{"$nothing":true},{"$missing":true},)"
      R"({"$array2":[[1,"a"],[2,"b"]]},[1,[2]],{"$dictionary":[[1,"one"]]},)"
      R"({"$long":3},{"$double":4},{"$string":"s"},{"$boolean":false},{"$null":true}])";
  std::string script = "{\"new\":\"d\",\"progid\":\"Scripting.Dictionary\"}\n";
  const json values = json::parse(items);
  for (size_t i = 0; i < values.size(); ++i)
    script += "{\"call\":\"d.Add\",\"args\":[" + std::to_string(i) + "," + values[i].dump() + "]}\n";
  script += "{\"call\":\"d.Items\"}\n";

  auto lastResult = [](const HostResult& r) {
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    return json::parse(Lines(r.out).back())["result"].dump();
  };
  EXPECT_EQ(lastResult(Host({"run", "-"}, script)),
            R"([1,2147483648.0,1.5,"text",true,null,{"$integer":-7},{"$single":0.1},)"
            R"({"$byte":255},{"$currency":"-12.3456"},{"$decimal":"1.25"},)"
            R"({"$date":"2026-12-08 10:30:00"},{"$date":"2026-12-08"},{"$empty":true},)"
            R"({"$nothing":true},{"$missing":true},{"$array2":[[1,"a"],[2,"b"]]},[1,[2]],)"
            R"({"$dictionary":[[1,"one"]]},3,4.0,"s",false,null])");
  EXPECT_EQ(lastResult(Host({"--typed", "run", "-"}, script)),
            R"([{"$long":1},{"$double":2147483648.0},{"$double":1.5},{"$string":"text"},)"
            R"({"$boolean":true},null,{"$integer":-7},{"$single":0.1},{"$byte":255},)"
            R"({"$currency":"-12.3456"},{"$decimal":"1.25"},{"$date":"2026-12-08 10:30:00"},)"
            R"({"$date":"2026-12-08"},{"$empty":true},{"$nothing":true},{"$missing":true},)"
            R"({"$array2":[[{"$long":1},{"$string":"a"}],[{"$long":2},{"$string":"b"}]]},)"
            R"([{"$long":1},[{"$long":2}]],{"$dictionary":[[{"$long":1},{"$string":"one"}]]},)"
            R"({"$long":3},{"$double":4.0},{"$string":"s"},{"$boolean":false},null])");
}

// The user object's lists answer VB Collections: printed with their items,
// never by type name alone. The user object binds with the session's account.
TEST_F(SuitehostTest, SampleUserAndPartnerObjectsAnswerThroughTheHost) {
  ASSERT_EQ(Host({"init", "inst", "--sample"}).exitCode, 0);
  const std::map<std::string, std::string> env = {
      {"SUITE_CONFIG", (Dir() / "inst" / "suite.ini").string()}};
  auto asUser = [&](const std::string& password, std::vector<std::string> args) {
    args.insert(args.begin(), {"--session", "REMOTE_ACCOUNT=buyer1", "--session",
                               "REMOTE_PASSWORD=" + password});
    return Host(args, {}, env);
  };

  HostResult r = asUser("sample", {"call", "Brintor.User", "GetAllBuyers", "\"\"", "10"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "{\"result\":{\"$collection\":[\"buyer1\"]},\"args\":[\"\",10]}\n");
  r = asUser("sample", {"--typed", "call", "Brintor.User", "GetAllBuyers", "\"\"", "1"});
  EXPECT_EQ(r.out,
            "{\"result\":{\"$collection\":[{\"$string\":\"buyer1\"}]},"
            "\"args\":[{\"$string\":\"buyer1!\"},{\"$long\":1}]}\n");
  // A wrong password: the directory refuses the bind, the call fails.
  EXPECT_EQ(json::parse(asUser("wrong", {"call", "Brintor.User", "GetAdminOffice", "approver1"}).out)["error"]["number"],
            -2147023570);  // 0x8007052E

  r = Host({"call", "Brintor.BusinessPartner", "GetBuyer", "1"}, {}, env);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "{\"result\":\"buyer1\",\"args\":[1]}\n");
  // A VB run-time error in a member without a handler of its own carries the
  // library's name, whether it happens in the member or in its arguments.
  r = Host({"call", "Brintor.BusinessPartner", "GetBuyer", "\"abc\""}, {}, env);
  EXPECT_EQ(r.out, "{\"error\":{\"number\":13,\"source\":\"Brintor\",\"description\":\"Type mismatch\"}}\n");
  r = asUser("sample", {"call", "Brintor.User", "GetAllBuyers", "\"\"", "40000"});
  EXPECT_EQ(r.out, "{\"error\":{\"number\":6,\"source\":\"Brintor\",\"description\":\"Overflow\"}}\n");

  // The form is printed only; an argument cannot be one.
  r = Host({"run", "-"},
           "{\"new\":\"d\",\"progid\":\"Scripting.Dictionary\"}\n"
           "{\"call\":\"d.Exists\",\"args\":[{\"$collection\":[]}]}\n",
           env);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_THAT(r.out, ::testing::HasSubstr(R"(\"$collection\": is an output form only)"));
}

}  // namespace
