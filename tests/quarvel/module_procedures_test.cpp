// The shared-module procedures the catalog library adds: rows as
// dictionaries, the writable recordset, closing a recordset with its
// connection, Null to zero, the name lookup, the withdrawn-method stub.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/lib_errorhandling.h"
#include "common/lib_general.h"
#include "common/lib_sql.h"
#include "tests/common/raised_by.h"
#include "tests/common/suite_sandbox.h"
#include "tests/common/test_values.h"
#include "tests/data/test_database.h"
#include "tests/quarvel/quarvel_probe.h"

namespace {

using quarveltest::Block;
using quarveltest::Render;

const char* kTaxCodes =
    "CREATE TABLE TAXCODES (TAXCODE nvarchar(10) COLLATE NOCASE, DESCRIPTION nvarchar(40) COLLATE NOCASE,"
    " PERCENTAGE float, ID int PRIMARY KEY, KIND smallint);"
    "INSERT INTO TAXCODES VALUES ('A', 'One', 1.5, 1, 7), ('A', 'Two', 2, 2, 7), ('B', 'Three', 3, 3, 8);";

class ModuleProcedures : public ::testing::Test {
 protected:
  void SetUp() override { rt::Err().Clear(); }
  // The log's entries, one a line: kind, source and text.
  std::string Logged() const {
    std::string text;
    for (const std::string& line : sandbox_.LogLines()) {
      const LogEntry e = LogEntry::Parse(line);
      text += e.kind + " " + e.source + e.text + "\n";
    }
    return text;
  }

  SuiteSandbox sandbox_;
  testdb::TestDatabase db_{kTaxCodes};
};

// The keys keep the key column's subtype, so a text does not find a number.
TEST_F(ModuleProcedures, RecordsAsDictionaryKeepTheFirstOfARepeatedKeyAndTheKeysSubtype) {
  const std::string sql = "SELECT TAXCODE, DESCRIPTION FROM TAXCODES ORDER BY ID";
  auto byId = Sql_GetRecordsAsDictionary(db_.ConnectionString(), "SELECT ID, PERCENTAGE FROM TAXCODES");
  Golden seen;
  seen.Add("by code", Render(Sql_GetRecordsAsDictionary(db_.ConnectionString(), sql))).Add("by id", Render(byId));
  seen.Add("by id has Integer 1", byId->Exists(rt::Variant(int16_t{1})));
  seen.Add("by id has String 1", byId->Exists(rt::Variant("1")));
  EXPECT_EQ(seen.Lines(),
            "by code: String:A=String:One; String:B=String:Three\nby id: Long:1=Double:1.5; Long:2=Double:2; "
            "Long:3=Double:3\nby id has Integer 1: true\nby id has String 1: false\n");
  const std::string message = "Improper SQL statement '" + sql +
                              "' to create a dictionary. The statement resulted in double key value: 'A'";
  EXPECT_EQ(Logged(), "INFO " + message + Block("0", message, "Not an actual error") + "\n");
}

TEST_F(ModuleProcedures, RecordsAsDictionaryFailuresNameTheStatementWithoutInformation) {
  for (const auto& [sql, number] : {std::pair{"SELECT TAXCODE FROM TAXCODES", "800A0CC1"},
                                    std::pair{"SELECT * FROM NOPE", "80040E14"}}) {
    rt::ComError e = RaisedBy([&] { Sql_GetRecordsAsDictionary(db_.ConnectionString(), sql); });
    EXPECT_THAT(e.description(), ::testing::StartsWith(std::string("\r\nERROR 0x") + number +
                                                       "\r\n METHOD: Lib_SQL.Sql_GetRecordsAsDictionary. SQL: '" +
                                                       sql + "'\r\n DESC: "));
    EXPECT_THAT(e.description(), ::testing::Not(::testing::HasSubstr("INFO")));
  }
  EXPECT_EQ(sandbox_.LogLines().size(), 2u);
}

TEST_F(ModuleProcedures, RecordAsDictionaryIsTheCurrentRowFirstFieldOfANameWinning) {
  auto cn = db_.Open();
  auto rs = cn->Execute("SELECT T.TAXCODE, T.ID, U.ID, U.DESCRIPTION FROM TAXCODES T JOIN TAXCODES U ON U.ID = T.ID + 1 "
                        "ORDER BY T.ID");
  rs->MoveNext();
  EXPECT_EQ(Render(Sql_GetRecordAsDictionary(rs)), "String:TAXCODE=String:A; String:ID=Long:2; String:DESCRIPTION=String:Three");
  EXPECT_EQ(rs->AbsolutePosition(), 2);  // not moved
  rs->MoveNext();
  EXPECT_EQ(Render(Sql_GetRecordAsDictionary(rs)), "");  // at EOF

  rs->Close();
  const std::string failure = RaisedBy([&] { Sql_GetRecordAsDictionary(rs); }).description();
  EXPECT_THAT(failure, ::testing::HasSubstr(" METHOD: Lib_SQL.Sql_GetRecordAsDictionary\r\n"));
  EXPECT_THAT(failure, ::testing::EndsWith(" INFO: .\r\n"));
}

TEST_F(ModuleProcedures, CloseRecordsetAndConnectionClosesBothWhoeverOpenedThem) {
  auto cn = db_.Open();
  auto rs = data::Recordset::New();
  rs->Open("SELECT * FROM TAXCODES", cn);
  Sql_CloseRecordsetAndConnection(rs);
  EXPECT_EQ(Golden()
                .Add("recordset released", rs == nullptr)
                .Add("connection closed", cn->State() == data::kStateClosed)
                .Line(),
            "recordset released=true connection closed=true");
  EXPECT_EQ(RaisedBy([&] { Sql_CloseRecordsetAndConnection(rs); }).number(), 91);
}

TEST_F(ModuleProcedures, WritableRecordsetIsDetachedForABatchAndAFailureClosesTheCallersConnection) {
  auto cn = db_.Open();
  auto rs = SQL_GetWritableRecordset("SELECT * FROM TAXCODES WHERE TAXCODE = 'A' ORDER BY ID", cn,
                                     data::kLockBatchOptimistic);
  EXPECT_EQ(Golden()
                .Add("detached", rs->ActiveConnection() == nullptr)
                .Add("caller's connection open", cn->State() == data::kStateOpen)
                .Line(),
            "detached=true caller's connection open=true");
  rs->SetValue("DESCRIPTION", rt::Variant("Changed offline"));
  rs->SetActiveConnection(db_.Open());
  rs->UpdateBatch();
  EXPECT_EQ(db_.RawQuery("SELECT DESCRIPTION FROM TAXCODES WHERE ID = 1"), "Changed offline");

  rt::ComError e = RaisedBy([&] { SQL_GetWritableRecordset("SELECT * FROM NOPE", cn, data::kLockBatchOptimistic); });
  EXPECT_EQ(e.description(), Block("80040E14", "Lib_SQL.SQL_GetWritableRecordset", "no such table: NOPE",
                                   "Error(s) from connection object:  (1)no such table: NOPE[-2147217900] executing: "
                                   "'SELECT * FROM NOPE'"));
  EXPECT_EQ(cn, nullptr);
}

TEST_F(ModuleProcedures, NullToZeroAndLookupValue) {
  EXPECT_EQ(Gen_NullToZero(rt::Variant::Null()), 0.0);
  EXPECT_EQ(RaisedBy([] { Gen_NullToZero(rt::Variant("abc")); }).number(), 13);
  const rt::Variant names = Array({"CURRENCYCODE", "PRICE"}), values = Array({"EUR", 12.5});
  EXPECT_EQ(Golden()
                .Add("PRICE", Gen_LookupValue("PRICE", names, values))
                .Add("price", Gen_LookupValue("price", names, values))
                .Line(),
            "PRICE=Double:12.5 price=Null");
  // Names beyond the 16-bit counter overflow, as VB's Integer loop does.
  auto wide = rt::SafeArray::OneDim(0, 40000);
  EXPECT_EQ(RaisedBy([&] { Gen_LookupValue("PRICE", rt::Variant(wide), values); }).number(), 6);
}

TEST_F(ModuleProcedures, AWithdrawnMethodFailsWithMinusOneFromTheRunningLibrary) {
  const std::string text = "Function GetAllCommodities() is a 'full table scan' function and is not supported anymore."
                           "\r\nUse new function GetCommodityData() that supports paging (=based on DRecordset component).";
  rt::ComError e(0, "", "");
  quarveltest::AsCatalogCode([&] { e = RaisedBy([&] { DeprecatedStub(text); }); });
  EXPECT_EQ(Golden().Add("number", e.number()).Add("source", e.source()).Add("description", e.description()).Lines(),
            "number: -1\nsource: Quarvel\ndescription:\n" +
                Block("FFFFFFFF", text, "Application-defined or object-defined error"));
  EXPECT_EQ(Logged().substr(0, 6), "ERROR ");
  EXPECT_EQ(sandbox_.LogLines().size(), 1u);
}

}  // namespace
