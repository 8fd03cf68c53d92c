// The kinds of SQL Server statement that the classes compose, one row each,
// run against real SQLite: each gives SQL Server's answer, or is refused with
// an error that names the statement.
#include <gtest/gtest.h>

#include "test_database.h"

namespace {

using testdb::ErrorOf;
using testdb::Query;

const char* kCatalog =
    "CREATE TABLE PRODUCT (PRODUCTID INTEGER PRIMARY KEY AUTOINCREMENT, PARTNUMBER nvarchar(40) COLLATE NOCASE,"
    " PRODUCTDESCRIPTION nvarchar(100) COLLATE NOCASE, BUYFROMPARTNUMBER nvarchar(40) COLLATE NOCASE,"
    " DISABLED bit NOT NULL DEFAULT 0, STOCKITEM bit NOT NULL DEFAULT 0, PRODUCTEFFECTIVITYDATE datetime,"
    " PROPERTYGROUPID int, CLASSCODE nvarchar(10) COLLATE NOCASE);"
    "CREATE TABLE PRODUCTCATEGORY (CATEGORYID INTEGER PRIMARY KEY, CATEGORYNAME nvarchar(50) COLLATE NOCASE);"
    "CREATE TABLE PRODUCTSBYCATEGORY (PRODUCTID int, CATEGORYID int, SEQUENCE int);"
    "CREATE TABLE CATALOGNODE (NODEID INTEGER PRIMARY KEY, CATALOGID int, CATEGORYID int, PARENTNODEID int,"
    " NODENAME nvarchar(50) COLLATE NOCASE);"
    "CREATE TABLE PRODUCTPROPVALUE (PROPERTYID int, PRODUCTID int, VALUE nvarchar(50) COLLATE NOCASE);"
    "CREATE TABLE BUSINESSPARTNER (BUSINESSPARTNERID INTEGER PRIMARY KEY AUTOINCREMENT,"
    " NAME nvarchar(60) COLLATE NOCASE, BISSUPPLIERCODE nvarchar(20) COLLATE NOCASE);"
    "CREATE TABLE CUSTOMER (BUSINESSPARTNERID int PRIMARY KEY, CUSTOMERNAME nvarchar(60) COLLATE NOCASE);"
    "CREATE TABLE CURRENCYRATE (CURRENCYCODE nchar(3) COLLATE NOCASE, EFFECTIVEDATE datetime, EXPIRYDATE datetime);"
    "INSERT INTO PRODUCT VALUES (1, 'AB-100', 'Steel bolt 50%', 'S-1', 0, 1, '2026-01-01 00:00:00', 7, 'X'),"
    " (2, 'AB-200', 'Brass [nut]', 'S_2', 0, 0, NULL, 7, 'Y'),"
    " (3, 'ab_300', 'Washer', 'S-3', 1, 1, '2027-01-01 00:00:00', 8, 'x'),"
    " (4, 'ÉCROU', 'écrou à oreilles', 'S-4', 0, 1, NULL, NULL, NULL);"
    "INSERT INTO PRODUCTCATEGORY VALUES (10, 'Fasteners'), (20, 'Tools');"
    "INSERT INTO PRODUCTSBYCATEGORY VALUES (1, 10, 1), (2, 10, 2), (3, 20, 1), (1, 20, 5);"
    "INSERT INTO CATALOGNODE VALUES (100, 1, 10, NULL, 'Root A'), (101, 1, 20, 100, 'Child'),"
    " (200, 2, 20, NULL, 'Root B');"
    "INSERT INTO PRODUCTPROPVALUE VALUES (5, 1, 'red'), (6, 1, 'M8');"
    "INSERT INTO BUSINESSPARTNER VALUES (1, 'Acme', 'SUP1'), (2, 'O''Brien Ltd', ''), (3, '50% Off Shop', 'SUP3'),"
    " (4, '[Bracket] Co', NULL);"
    "INSERT INTO CUSTOMER VALUES (1, 'Acme Customer'), (3, 'Half Off');"
    "INSERT INTO CURRENCYRATE VALUES ('GBP', '2026-01-01 00:00:00', '2026-07-01 00:00:00'),"
    " ('GBP', '2026-07-01 00:00:00', NULL), ('JPY', '2026-12-09 00:00:00', NULL);";

const char* kJoins =
    " FROM PRODUCTSBYCATEGORY INNER JOIN PRODUCT ON PRODUCTSBYCATEGORY.PRODUCTID = PRODUCT.PRODUCTID"
    " INNER JOIN PRODUCTCATEGORY ON PRODUCTSBYCATEGORY.CATEGORYID = PRODUCTCATEGORY.CATEGORYID"
    " INNER JOIN CATALOGNODE ON PRODUCTCATEGORY.CATEGORYID = CATALOGNODE.CATEGORYID ";

struct Case {
  std::string sql;
  std::string rows;     // the rows as testdb::Render writes them
  std::string refused;  // or the reason the statement is refused
};

std::vector<Case> Cases() {
  std::string j = kJoins;
  return {
      // TOP, alone, with DISTINCT over joins, with the row count computed, and in a subquery.
      {"SELECT TOP 1 PRODUCTID FROM PRODUCT WHERE BUYFROMPARTNUMBER='S-3  '", "PRODUCTID=Long:3\n", ""},
      {"SELECT DISTINCT TOP 1 PRODUCTSBYCATEGORY.PRODUCTID " + j +
           " WHERE (PRODUCTDESCRIPTION LIKE '%50[%]%' OR PARTNUMBER LIKE '%50[%]%' OR BUYFROMPARTNUMBER LIKE"
           " '%50[%]%')  AND (PRODUCT.DISABLED = 0) AND CATALOGNODE.CATALOGID IN (1,2)",
       "PRODUCTID=Long:1\n", ""},
      {"SELECT DISTINCT TOP 3 PRODUCTSBYCATEGORY.PRODUCTID, PRODUCT.PARTNUMBER " + j +
           "WHERE PARTNUMBER LIKE 'ab-%' AND PRODUCT.DISABLED = 0 ORDER BY 1",
       "PRODUCTID=Long:1 PARTNUMBER=String:AB-100\nPRODUCTID=Long:2 PARTNUMBER=String:AB-200\n", ""},
      {"SELECT NODENAME FROM CATALOGNODE WHERE NODEID IN (SELECT TOP 1 NODEID FROM CATALOGNODE WHERE "
       "CAST(NODEID AS varchar(1)) = '1' ORDER BY NODEID DESC) ORDER BY NODENAME DESC",
       "NODENAME=String:Child\n", ""},
      // dbo. qualifiers everywhere, COUNT(DISTINCT), LIKE with the escapes of Gen_SqlEscapeLike.
      {"SELECT COUNT(DISTINCT dbo.PRODUCTSBYCATEGORY.PRODUCTID) As CNT  FROM dbo.PRODUCTSBYCATEGORY "
       " INNER JOIN dbo.PRODUCT ON dbo.PRODUCTSBYCATEGORY.PRODUCTID = dbo.PRODUCT.PRODUCTID "
       " INNER JOIN dbo.PRODUCTCATEGORY ON dbo.PRODUCTSBYCATEGORY.CATEGORYID = dbo.PRODUCTCATEGORY.CATEGORYID "
       " INNER JOIN dbo.CATALOGNODE ON dbo.PRODUCTCATEGORY.CATEGORYID = dbo.CATALOGNODE.CATEGORYID "
       " WHERE (PRODUCTDESCRIPTION LIKE '%[[]NUT]%' OR PARTNUMBER LIKE '%[[]nut]%' OR BUYFROMPARTNUMBER LIKE "
       "'%s[_]2%')  AND (DISABLED = 0) AND dbo.CATALOGNODE.CATALOGID IN (1)",
       "CNT=Long:1\n", ""},
      {"SELECT COUNT(DISTINCT PRODUCTID) As CNT FROM PRODUCT WHERE (PRODUCTDESCRIPTION LIKE '%É%' OR "
       " PARTNUMBER LIKE '%É%' OR  BUYFROMPARTNUMBER LIKE '%É%') AND DISABLED = 0 AND STOCKITEM = 1",
       "CNT=Long:1\n", ""},
      {"SELECT dbo.PRODUCT.PRODUCTID, dbo.PRODUCTPROPVALUE.PROPERTYID FROM dbo.PRODUCT LEFT JOIN "
       "dbo.PRODUCTPROPVALUE ON dbo.PRODUCTPROPVALUE.PRODUCTID=dbo.PRODUCT.PRODUCTID WHERE "
       "dbo.PRODUCT.PROPERTYGROUPID = 7 ORDER BY 1, 2",
       "PRODUCTID=Long:1 PROPERTYID=Long:5\nPRODUCTID=Long:1 PROPERTYID=Long:6\nPRODUCTID=Long:2 PROPERTYID=Null\n",
       ""},
      // Outer join, part-of-name searches, NOT IN, GROUP BY ... HAVING ... IN, EXISTS, IN (subquery).
      {"SELECT BP.*, CUST.CUSTOMERNAME FROM BUSINESSPARTNER BP LEFT OUTER JOIN CUSTOMER CUST ON "
       "BP.BUSINESSPARTNERID = CUST.BUSINESSPARTNERID WHERE BP.BUSINESSPARTNERID = 2",
       "BUSINESSPARTNERID=Long:2 NAME=String:O'Brien Ltd BISSUPPLIERCODE=String: CUSTOMERNAME=Null\n", ""},
      {"SELECT BP.BUSINESSPARTNERID, BP.NAME FROM BUSINESSPARTNER BP WHERE BISSUPPLIERCODE <> '' AND NAME LIKE "
       "'%50[%]%'",
       "BUSINESSPARTNERID=Long:3 NAME=String:50% Off Shop\n", ""},
      {"SELECT BP.BUSINESSPARTNERID FROM BUSINESSPARTNER BP WHERE BP.BUSINESSPARTNERID NOT IN (1, 3, 4)",
       "BUSINESSPARTNERID=Long:2\n", ""},
      {"SELECT BP.BUSINESSPARTNERID FROM BUSINESSPARTNER BP WHERE BP.BUSINESSPARTNERID NOT IN ()", "",
       "an empty IN list is not valid SQL"},
      {"SELECT CATEGORYID, MAX(SEQUENCE) AS SEQUENCE FROM PRODUCTSBYCATEGORY GROUP BY CATEGORYID HAVING CATEGORYID "
       "IN (10,30)",
       "CATEGORYID=Long:10 SEQUENCE=Long:2\n", ""},
      {"SELECT NAME FROM BUSINESSPARTNER BP WHERE EXISTS (SELECT * FROM CUSTOMER C WHERE C.BUSINESSPARTNERID = "
       "BP.BUSINESSPARTNERID) ORDER BY NAME",
       "NAME=String:50% Off Shop\nNAME=String:Acme\n", ""},
      // Literals: N'', a number column against a quoted id.
      {"SELECT PRODUCTID FROM PRODUCT WHERE CLASSCODE = N'x' ORDER BY PRODUCTID",
       "PRODUCTID=Long:1\nPRODUCTID=Long:3\n", ""},
      {"SELECT PRODUCTDESCRIPTION FROM PRODUCT WHERE PRODUCTID = '2'", "PRODUCTDESCRIPTION=String:Brass [nut]\n", ""},
      // Dates: month/day/year and the profile's form against date columns, a quote followed by AND.
      {"SELECT DISTINCT CURRENCYCODE FROM CURRENCYRATE WHERE EFFECTIVEDATE<='12/8/2026' AND (EXPIRYDATE IS NULL OR "
       "EXPIRYDATE>'12/8/2026') ORDER BY CURRENCYCODE",
       "CURRENCYCODE=String:GBP\n", ""},
      {"SELECT CURRENCYCODE FROM CURRENCYRATE WHERE CURRENCYCODE = 'gbp' AND EFFECTIVEDATE > '2026-03-01'AND "
       "(EXPIRYDATE IS NULL OR EXPIRYDATE > '2026-03-01')",
       "CURRENCYCODE=String:GBP\n", ""},
      {"SELECT DISTINCT P.PRODUCTID FROM PRODUCT P, PRODUCTSBYCATEGORY PBC, CATALOGNODE CN WHERE P.PRODUCTID = 1 "
       "AND (P.PRODUCTEFFECTIVITYDATE <= '2026-12-08' OR P.PRODUCTEFFECTIVITYDATE IS NULL) AND P.DISABLED = 0 "
       "AND PBC.PRODUCTID = P.PRODUCTID AND CN.CATEGORYID = PBC.CATEGORYID AND (CN.CATALOGID = 2 OR "
       "CN.CATALOGID = 3)",
       "PRODUCTID=Long:1\n", ""},
      // Functions (one refused function stands for the list) and text joined with +.
      {"SELECT UPPER(PRODUCTDESCRIPTION) AS D, LOWER(PARTNUMBER) AS P FROM PRODUCT WHERE PRODUCTID = 4",
       "D=String:ÉCROU À OREILLES P=String:écrou\n", ""},
      {"SELECT 'P' + CAST(PRODUCTID AS varchar(10)) AS K, CAST(PARTNUMBER AS nvarchar(2)) AS S FROM PRODUCT "
       "WHERE PRODUCTID = 2",
       "K=String:P2 S=String:AB\n", ""},
      {"SELECT NAME FROM BUSINESSPARTNER WHERE NAME LIKE '%' + 'brien' + '%'", "NAME=String:O'Brien Ltd\n", ""},
      {"SELECT 'Item ' + 5", "", "a number literal added to a text has no equivalent"},
      {"SELECT NAME + ' ' + BUSINESSPARTNERID * 2 FROM BUSINESSPARTNER", "",
       "text joined with + next to other arithmetic has no equivalent"},
      {"SELECT CAST(EFFECTIVEDATE AS datetime) FROM CURRENCYRATE", "", "CAST to datetime has no equivalent"},
      {"SELECT CURRENCYCODE FROM CURRENCYRATE WHERE EXPIRYDATE > GETDATE()", "",
       "the function GETDATE has no equivalent"},
      {"SELECT BP.NAME FROM BUSINESSPARTNER BP, CUSTOMER C WHERE BP.BUSINESSPARTNERID *= C.BUSINESSPARTNERID", "",
       "the outer-join operators *= and =* have no equivalent"},
  };
}

TEST(DialectStatements, EachRunsWithSqlServersMeaningOrIsRefusedNamingIt) {
  testdb::TestDatabase db(kCatalog);
  auto cn = db.Open();
  for (const Case& c : Cases()) {
    if (c.refused.empty()) {
      std::string rows;
      std::string error = ErrorOf([&] { rows = Query(cn, c.sql); });
      EXPECT_EQ(error, "no error") << c.sql;
      EXPECT_EQ(rows, c.rows) << c.sql;
    } else {
      EXPECT_EQ(ErrorOf([&] { Query(cn, c.sql); }),
                "80040E14 The statement cannot be run on this database (" + c.refused + "): " + c.sql);
    }
  }
}

TEST(DialectStatements, WritesWithoutIntoOrFromAndARowAddedToAnEmptyTemplate) {
  testdb::TestDatabase db(kCatalog);
  auto cn = db.Open();
  rt::Variant affected;
  cn->Execute("INSERT PRODUCTPROPVALUE VALUES (7, 2, N'blue')", &affected);
  EXPECT_EQ(rt::CLng(affected), 1);
  cn->Execute("UPDATE PRODUCTPROPVALUE SET VALUE = N'Blue' + ' ' + 'x' WHERE PROPERTYID = 7", &affected);
  EXPECT_EQ(Query(cn, "SELECT VALUE FROM PRODUCTPROPVALUE WHERE PROPERTYID = 7"), "VALUE=String:Blue x\n");
  cn->Execute("DELETE PRODUCTPROPVALUE WHERE PRODUCTID = 1", &affected);
  EXPECT_EQ(rt::CLng(affected), 2);

  auto rs = data::Recordset::New();
  rs->Open("SELECT * FROM  BUSINESSPARTNER WHERE 0=1", cn, data::kCursorKeyset, data::kLockOptimistic);
  rs->AddNew();
  rs->SetValue("NAME", rt::Variant("New partner"));
  rs->Update();
  EXPECT_EQ(testdb::Show(rs->Value("BUSINESSPARTNERID")), "Long:5");
  EXPECT_EQ(db.RawQuery("SELECT NAME FROM BUSINESSPARTNER WHERE BUSINESSPARTNERID = 5"), "New partner");
}

}  // namespace
