// The database of an installation as an operator's sqlite3 tool sees it:
// with the suitetext extension it reads what our connections wrote by the
// same rule; without it, it refuses what needs the collation. And
// `suitehost upgrade`, which brings a database made the old way (text
// columns declared NOCASE, no CHECK constraints) to the present form.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "data/schema.h"
#include "data/sqlite_text_rules.h"
#include "tests/common/golden.h"
#include "tests/common/tool_handle.h"
#include "tests/tools/host_process.h"

namespace {

namespace fs = std::filesystem;
using testtool::ToolHandle;

class InstallationDatabase : public ::testing::Test {
 protected:
  hosttest::HostResult Host(const std::vector<std::string>& args) {
    return hosttest::RunHost(args, temp_.path(), {}, {{"SUITE_CONFIG", Dir() + "/suite.ini"}});
  }
  std::string Dir() const { return fs::canonical(temp_.path()).string() + "/inst"; }
  std::string Catalog() const { return Dir() + "/catalog.db"; }

  hosttest::TempFolder temp_;
};

// Names that differ only in trailing blanks or in the case of a non-ASCII
// letter, written through our connections, leave an index that the tool with
// the extension finds sound and searches by the same rule.
TEST_F(InstallationDatabase, TheToolWithTheExtensionReadsWhatOurConnectionsWrote) {
  ASSERT_EQ(Host({"init", Dir(), "--sample"}).exitCode, 0);
  for (const char* name : {"zz ", "Émail", "zz"}) {
    const hosttest::HostResult r = Host({"call", "Quarvel.Property", "Insert21", name, "1", "\"\"", "false"});
    EXPECT_EQ(r.exitCode, 0) << name << ": " << r.out << r.err;
  }
  ToolHandle tool(Catalog(), ToolHandle::Extension::Loaded);
  ASSERT_EQ(tool.loadError(), "");
  EXPECT_EQ(tool.Query("PRAGMA integrity_check"), "ok");
  EXPECT_EQ(tool.Query("SELECT quote(PROPERTYNAME) FROM PROPERTY WHERE PROPERTYNAME = 'ZZ' ORDER BY PROPERTYID"),
            "'zz ';'zz'");
  EXPECT_EQ(tool.Query("SELECT PROPERTYNAME FROM PROPERTY WHERE PROPERTYNAME = 'émail'"), "Émail");
  EXPECT_EQ(tool.Query("SELECT count(*) FROM PROPERTY WHERE PROPERTYNAME LIKE '[é]MAIL'"), "1");
  // The tool's own writes keep to the columns too.
  EXPECT_EQ(tool.Query("INSERT INTO CURRENCY (CURRENCYCODE, CURRENCYNAME, HOMECURRENCY, EURO, EPC, DECIMALS)"
                       " VALUES ('LONG', 'x', 0, 0, 0, 2)"),
            "ERROR: CHECK constraint failed: CURRENCYCODE: nchar(3)");

  ToolHandle stock(Catalog(), ToolHandle::Extension::None);
  EXPECT_EQ(stock.Query("SELECT count(*) FROM PROPERTY WHERE PROPERTYNAME = 'zz'"),
            std::string("ERROR: no such collation sequence: ") + data::kTextCollation);
}

// A new database file made from `schema`, the sample data and `extraSql`,
// on a handle whose NOCASE follows our rule (as our connections' did).
void MakeSampleDatabase(const std::string& path, std::string schema, const std::string& extraSql) {
  for (const std::string& file : data::SchemaScripts(std::string(SUITE_SOURCE_DIR) + "/db/sample"))
    schema += testfs::ReadFile(file);
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  data::InstallSqlServerTextRules(db);
  char* error = nullptr;
  sqlite3_exec(db, (schema + extraSql).c_str(), nullptr, nullptr, &error);
  EXPECT_EQ(error ? std::string(error) : "", "");
  sqlite3_free(error);
  sqlite3_close(db);
}

// A database made the old way: the schema with NOCASE text columns and no
// CHECK constraints, filled with the sample data.
void MakeOldDatabase(const std::string& path, const std::string& extraSql = {}) {
  fs::remove(path);
  std::string schema;
  for (const std::string& file : data::SchemaScripts(std::string(SUITE_SOURCE_DIR) + "/db")) {
    std::string text = testfs::ReadFile(file);
    for (size_t at; (at = text.find(data::kTextCollation)) != std::string::npos;)
      text.replace(at, std::string(data::kTextCollation).size(), "NOCASE");
    schema += text;
  }
  MakeSampleDatabase(path, schema, extraSql);
}

// A database made by the version before amounts were kept as reals: the
// schema with the CHECK constraints that `init` added then (money's range
// was the type's own), filled with the sample data.
void MakeDatabaseWithEarlierChecks(const std::string& path, const std::string& extraSql) {
  fs::remove(path);
  const std::regex moneyRange(R"re(CONSTRAINT "(\w+): money range" CHECK \([^)]*\))re");
  const std::regex realMoney(R"re(\bREAL money\b)re");
  std::string schema;
  for (const std::string& file : data::SchemaScripts(std::string(SUITE_SOURCE_DIR) + "/db")) {
    for (const std::string& statement : data::ScriptStatements(testfs::ReadFile(file))) {
      std::string made = std::regex_replace(
          data::WithColumnChecks(statement), moneyRange,
          R"(CONSTRAINT "$1: money range" CHECK ("$1" BETWEEN -922337203685477.5808 AND 922337203685477.5807))");
      schema += std::regex_replace(made, realMoney, "money") + "\n";
    }
  }
  MakeSampleDatabase(path, schema, extraSql);
}

TEST_F(InstallationDatabase, UpgradeBringsAnOldDatabaseToThePresentFormKeepingItsRows) {
  ASSERT_EQ(Host({"init", Dir()}).exitCode, 0);
  // The last product deleted: its identity must not come back.
  MakeOldDatabase(Catalog(),
                  "INSERT INTO PROPERTY (PROPERTYNAME) VALUES ('zz ');"
                  "DELETE FROM PRODUCT WHERE PRODUCTID = (SELECT max(PRODUCTID) FROM PRODUCT);");
  const std::string counts =
      "SELECT (SELECT count(*) FROM PRODUCT) || ' products, ' || (SELECT count(*) FROM CATALOGPRODUCTPRICE) ||"
      " ' prices, ' || (SELECT count(*) FROM BUSINESSPARTNER) || ' partners, next product ' ||"
      " (SELECT seq + 1 FROM sqlite_sequence WHERE name = 'PRODUCT') || ', product indexes ' ||"
      " (SELECT count(*) FROM sqlite_schema WHERE type = 'index' AND tbl_name = 'PRODUCT')";
  std::string before;
  {
    ToolHandle old(Catalog(), ToolHandle::Extension::Loaded);
    before = old.Query(counts);
  }
  const hosttest::HostResult upgraded = Host({"upgrade", Dir()});
  EXPECT_EQ(upgraded.exitCode, 0) << upgraded.err;
  EXPECT_EQ(upgraded.out.rfind("Upgraded " + Catalog() + ": ", 0), 0u) << upgraded.out;

  ToolHandle tool(Catalog(), ToolHandle::Extension::Loaded);
  EXPECT_EQ(tool.Query(counts), before);
  EXPECT_EQ(tool.Query("PRAGMA integrity_check"), "ok");
  EXPECT_EQ(tool.Query("SELECT count(*) FROM sqlite_schema WHERE sql LIKE '%COLLATE NOCASE%'"), "0");
  EXPECT_EQ(tool.Query("SELECT quote(PROPERTYNAME) FROM PROPERTY WHERE PROPERTYNAME = 'zz'"), "'zz '");
  // The widened column takes its new width; the checked ones refuse.
  EXPECT_EQ(tool.Query("SELECT type FROM pragma_table_info('PRODUCT') WHERE name = 'GTIN'"), "nvarchar(255)");
  EXPECT_EQ(tool.Query("UPDATE CURRENCY SET CURRENCYCODE = 'LONG'"),
            "ERROR: CHECK constraint failed: CURRENCYCODE: nchar(3)");
  // A second upgrade has nothing left to do.
  const hosttest::HostResult again = Host({"upgrade", Dir()});
  EXPECT_EQ(again.exitCode, 0);
  EXPECT_EQ(again.out, Catalog() + " is in the present form already\n");
}

TEST_F(InstallationDatabase, UpgradeRefusesValuesThatDoNotFitAndChangesNothing) {
  ASSERT_EQ(Host({"init", Dir()}).exitCode, 0);
  MakeOldDatabase(Catalog(),
                  "UPDATE CURRENCY SET CURRENCYNAME = 'A name longer than the thirty characters' WHERE "
                  "CURRENCYCODE = 'USD';"
                  "UPDATE PRODUCT SET PRODUCTEFFECTIVITYDATE = 'abc' WHERE PRODUCTID = 2;");
  const std::string schema = "SELECT group_concat(sql, ';') FROM sqlite_schema";
  std::string before;
  {
    ToolHandle old(Catalog(), ToolHandle::Extension::Loaded);
    before = old.Query(schema);
  }
  const hosttest::HostResult refused = Host({"upgrade", Dir()});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.err,
            "suitehost: upgrade: The database '" + Catalog() +
                "' holds 2 value(s) that do not fit their column; correct them (with the sqlite3 tool and the "
                "suitetext extension loaded) and upgrade again:\n"
                "  CURRENCY row 1: CURRENCYNAME = 'A name longer than the thirty characters' does not fit "
                "nvarchar(30)\n"
                "  PRODUCT row 2: PRODUCTEFFECTIVITYDATE = 'abc' does not fit datetime\n");
  ToolHandle tool(Catalog(), ToolHandle::Extension::Loaded);
  EXPECT_EQ(tool.Query(schema), before);
}

// What the upgrade cannot find is named for what it is, and nothing is made.
TEST_F(InstallationDatabase, UpgradeNamesAMissingFolderOrDatabase) {
  const std::string root = fs::canonical(temp_.path()).string();
  fs::create_directories(root + "/empty");
  fs::create_directories(root + "/odd/catalog.db");
  testfs::WriteFile(root + "/plain", "not a folder");
  struct MissingCase {
    std::string dir;
    std::string err;
  };
  const std::vector<MissingCase> cases = {
      {root + "/nowhere", "suitehost: upgrade: the folder " + root + "/nowhere does not exist\n"},
      {root + "/plain", "suitehost: upgrade: " + root + "/plain is no folder\n"},
      {root + "/empty", "suitehost: upgrade: the folder " + root + "/empty holds no catalog.db\n"},
      {root + "/odd", "suitehost: upgrade: " + root + "/odd/catalog.db is no database file\n"},
  };
  for (const MissingCase& c : cases) {
    const hosttest::HostResult r = Host({"upgrade", c.dir});
    EXPECT_EQ(r.exitCode, 1) << c.dir;
    EXPECT_EQ(r.out, "") << c.dir;
    EXPECT_EQ(r.err, c.err) << c.dir;
  }
  EXPECT_FALSE(fs::exists(root + "/nowhere"));
  EXPECT_TRUE(fs::is_empty(root + "/empty"));
}

// An old database keeps whole amounts as integers, which divide as
// integers. The upgrade names an amount at or beyond 10^11 (also in a
// database of the present form, into which the tool wrote it past the
// constraints) and changes nothing; otherwise it keeps every amount as a
// real, which divides as a decimal.
TEST_F(InstallationDatabase, UpgradeKeepsAmountsAsRealsAndNamesThoseBeyondTheBound) {
  ASSERT_EQ(Host({"init", Dir()}).exitCode, 0);
  MakeOldDatabase(Catalog(), "UPDATE CATALOGPRODUCTPRICE SET PRICE = 1234567890123.4567 WHERE rowid = 2;");
  const std::string halves =
      "SELECT typeof(PRICE) || ' ' || (PRICE / 2) || ' ' || (SELECT HOMESALESRATE / 4 FROM CURRENCYRATE WHERE rowid = 1)"
      " FROM CATALOGPRODUCTPRICE WHERE PRICE = 39";
  const std::string schema = "SELECT group_concat(sql, ';') FROM sqlite_schema";
  std::string before;
  {
    ToolHandle old(Catalog(), ToolHandle::Extension::Loaded);
    EXPECT_EQ(old.Query(halves), "integer 19 0");
    before = old.Query(schema);
  }
  const std::string refusedText = "suitehost: upgrade: The database '" + Catalog() +
                                  "' holds 1 value(s) that do not fit their column; correct them (with the sqlite3 "
                                  "tool and the suitetext extension loaded) and upgrade again:\n";
  const hosttest::HostResult old = Host({"upgrade", Dir()});
  EXPECT_EQ(Golden().Add("exit", old.exitCode).Add("err", old.err).Lines(),
            "exit: 1\nerr:\n" + refusedText +
                "  CATALOGPRODUCTPRICE row 2: PRICE = 1.23456789012345678714e+12 does not fit money\n");
  {
    ToolHandle tool(Catalog(), ToolHandle::Extension::Loaded);
    EXPECT_EQ(tool.Query(schema), before);
    EXPECT_EQ(tool.Query("UPDATE CATALOGPRODUCTPRICE SET PRICE = 12.5 WHERE rowid = 2"), "");
  }
  const hosttest::HostResult upgraded = Host({"upgrade", Dir()});
  EXPECT_EQ(upgraded.exitCode, 0) << upgraded.err;
  {
    ToolHandle tool(Catalog(), ToolHandle::Extension::Loaded);
    EXPECT_EQ(tool.Query(halves), "real 19.5 0.25");
    EXPECT_EQ(tool.Query("UPDATE CATALOGPRODUCTPRICE SET PRICE = 100000000000 WHERE rowid = 2"),
              "ERROR: CHECK constraint failed: PRICE: money range");
    EXPECT_EQ(tool.Query("PRAGMA ignore_check_constraints = ON; UPDATE CATALOGPRODUCTPRICE SET PRICE = "
                         "922337203685477.5807 WHERE rowid = 2; UPDATE CURRENCYRATE SET HOMESALESRATE = -1e11 WHERE "
                         "rowid = 1"),
              "");
    before = tool.Query(schema);
  }
  const hosttest::HostResult present = Host({"upgrade", Dir()});
  EXPECT_EQ(Golden().Add("exit", present.exitCode).Add("err", present.err).Lines(),
            "exit: 1\nerr:\n" +
                std::string(refusedText).replace(refusedText.find(" 1 value"), 8, " 2 value") +
                "  CURRENCYRATE row 1: HOMESALESRATE = -100000000000.0 does not fit decimal(18,4)\n"
                "  CATALOGPRODUCTPRICE row 2: PRICE = 9.22337203685477625015e+14 does not fit money\n");
  ToolHandle tool(Catalog(), ToolHandle::Extension::Loaded);
  EXPECT_EQ(tool.Query(schema), before);
}

// A table that the upgrade keeps as it was (a column added to it by hand,
// or one the schema does not define) gets the present checks in place of
// those an earlier version gave it, whose money range let 5e11 in; the
// constraints written with it stay, and a second upgrade finds nothing to do.
TEST_F(InstallationDatabase, UpgradeRenewsTheChecksOfATableKeptAsItWas) {
  ASSERT_EQ(Host({"init", Dir()}).exitCode, 0);
  MakeDatabaseWithEarlierChecks(
      Catalog(),
      "ALTER TABLE CATALOGPRODUCTPRICE ADD COLUMN NOTE nvarchar(10);"
      "CREATE TABLE LOCALNOTE (ID int, AMOUNT money, CONSTRAINT \"positive\" CHECK (AMOUNT > 0), CHECK (ID > 0),"
      " CONSTRAINT \"AMOUNT: money range\" CHECK (AMOUNT BETWEEN -922337203685477.5808 AND 922337203685477.5807));");
  const hosttest::HostResult upgraded = Host({"upgrade", Dir()});
  EXPECT_EQ(upgraded.exitCode, 0) << upgraded.err;
  {
    ToolHandle tool(Catalog(), ToolHandle::Extension::Loaded);
    const std::string earlier =
        "SELECT IFNULL(group_concat(name), '') FROM sqlite_schema WHERE sql LIKE '%922337203685477%'";
    EXPECT_EQ(Golden()
                  .Add("earlier ranges", tool.Query(earlier))
                  .Add("price", tool.Query("UPDATE CATALOGPRODUCTPRICE SET PRICE = 500000000000 WHERE rowid = 1"))
                  .Add("note", tool.Query("UPDATE CATALOGPRODUCTPRICE SET NOTE = 'eleven wide' WHERE rowid = 1"))
                  .Add("own amount", tool.Query("INSERT INTO LOCALNOTE VALUES (1, 500000000000)"))
                  .Add("own named", tool.Query("INSERT INTO LOCALNOTE VALUES (1, -5)"))
                  .Add("own unnamed", tool.Query("INSERT INTO LOCALNOTE VALUES (0, 5)"))
                  .Add("fits", tool.Query("INSERT INTO LOCALNOTE VALUES (1, 5); SELECT typeof(AMOUNT) FROM LOCALNOTE"))
                  .Lines(),
              "earlier ranges: \n"
              "price: ERROR: CHECK constraint failed: PRICE: money range\n"
              "note: ERROR: CHECK constraint failed: NOTE: nvarchar(10)\n"
              "own amount: ERROR: CHECK constraint failed: AMOUNT: money range\n"
              "own named: ERROR: CHECK constraint failed: positive\n"
              "own unnamed: ERROR: CHECK constraint failed: ID > 0\n"
              "fits: real\n");
  }
  const hosttest::HostResult again = Host({"upgrade", Dir()});
  EXPECT_EQ(Golden().Add("exit", again.exitCode).Add("out", again.out).Add("err", again.err).Lines(),
            "exit: 0\nout: " + Catalog() + " is in the present form already\nerr: \n");
}

// A database made before the price-line key listed the quantity break
// second: its tables are in the present form, so only that index is made
// anew, with the same rows behind it and the same refusal of a second line
// for one product, break, date and group.
TEST_F(InstallationDatabase, UpgradeMakesAnIndexDefinedOtherwiseAnewAndLeavesAFreshDatabaseAlone) {
  ASSERT_EQ(Host({"init", Dir(), "--sample"}).exitCode, 0);
  const hosttest::HostResult fresh = Host({"upgrade", Dir()});
  EXPECT_EQ(fresh.exitCode, 0) << fresh.err;
  EXPECT_EQ(fresh.out, Catalog() + " is in the present form already\n");

  const std::string key = "SELECT sql FROM sqlite_schema WHERE name = 'CATALOGPRODUCTPRICE_LINE'";
  std::string present, lines;
  {
    ToolHandle tool(Catalog(), ToolHandle::Extension::Loaded);
    present = tool.Query(key);
    lines = tool.Query("SELECT count(*) FROM CATALOGPRODUCTPRICE");
    EXPECT_EQ(tool.Query("DROP INDEX CATALOGPRODUCTPRICE_LINE; CREATE UNIQUE INDEX CATALOGPRODUCTPRICE_LINE ON "
                         "CATALOGPRODUCTPRICE (PRODUCTID, PRICEEFFECTIVEDATE, QUANTITYTO, IFNULL(GROUPBY, '') "
                         "COLLATE SUITE_CI)"),
              "");
  }
  const hosttest::HostResult upgraded = Host({"upgrade", Dir()});
  EXPECT_EQ(upgraded.exitCode, 0) << upgraded.err;
  EXPECT_EQ(upgraded.out, "Upgraded " + Catalog() + ": 0 table(s) made anew, 1 index(es)\n");

  ToolHandle tool(Catalog(), ToolHandle::Extension::Loaded);
  EXPECT_EQ(tool.Query(key), present);
  EXPECT_EQ(tool.Query("SELECT count(*) FROM CATALOGPRODUCTPRICE"), lines);
  EXPECT_EQ(tool.Query("PRAGMA integrity_check"), "ok");
  EXPECT_EQ(tool.Query("INSERT INTO CATALOGPRODUCTPRICE (PRODUCTID, PRICEEFFECTIVEDATE, QUANTITYTO, GROUPBY, "
                       "CURRENCYCODE) SELECT PRODUCTID, PRICEEFFECTIVEDATE, QUANTITYTO, NULL, CURRENCYCODE FROM "
                       "CATALOGPRODUCTPRICE WHERE IFNULL(GROUPBY, '') = '' LIMIT 1"),
            "ERROR: UNIQUE constraint failed: index 'CATALOGPRODUCTPRICE_LINE'");
}

}  // namespace
