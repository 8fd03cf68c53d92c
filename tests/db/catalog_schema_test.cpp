// The catalog tables of db/: columns in the order and with the types that the
// classes rely on, the price-line key, identities and defaults as the data
// layer reads them, and a key index that the sqlite3 tool with the suitetext
// extension finds intact.
#include <sqlite3.h>

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "data/schema.h"
#include "data/sqlite_text_rules.h"
#include "tests/common/temp_folder.h"
#include "tests/common/tool_handle.h"
#include "tests/data/test_database.h"

namespace {

using testdb::ErrorOf;
using testdb::Query;
using testdb::Show;

class CatalogSchema : public ::testing::Test {
 protected:
  // The schema of a fresh installation: every db/*.sql file in name order,
  // run as `suitehost init` runs them.
  void SetUp() override {
    std::vector<std::string> texts;
    for (const std::string& file : data::SchemaScripts(std::string(SUITE_SOURCE_DIR) + "/db"))
      texts.push_back(testfs::ReadFile(file));
    std::vector<data::NamedScript> scripts;
    for (const std::string& text : texts) scripts.push_back(data::NamedScript{"schema", text});
    data::RunScripts(db_.path(), scripts);
  }

  // A table as one line: "TABLE: NAME type[ NN][ =default][ PKn]" per column.
  std::string Columns(const std::string& table) {
    return table + ": " +
           db_.RawQuery("SELECT group_concat(c, ', ') FROM (SELECT name || ' ' || type || CASE WHEN \"notnull\""
                        " THEN ' NN' ELSE '' END || IFNULL(' =' || dflt_value, '') || CASE WHEN pk THEN ' PK' || pk"
                        " ELSE '' END AS c FROM pragma_table_info('" + table + "') ORDER BY cid)") +
           "\n";
  }

  testdb::TestDatabase db_;
};

TEST_F(CatalogSchema, EveryCatalogTableHasItsColumnsInOrder) {
  std::string all;
  for (const char* table :
       {"UNIT", "HAZARDOUSCLASS", "PROPERTY", "PROPERTYENUM", "PROPERTYGROUP", "PROPSBYPROPGROUP", "FAQCATEGORY",
        "FAQVISIBILITY", "FAQISSUE", "UNSPSCCODES", "COMMODITY", "PRODUCTSBYCATEGORY", "PRODUCT",
        "CATALOGPRODUCTPRICE", "PRODUCTBUYER", "PRODUCTPROPVALUE", "ALTERNATIVEPRODUCTS", "ATTACHEDFILE", "FAVORITES",
        "MANUFACTURER", "TAXCODES", "CATALOG", "CATALOGNODE", "PRODUCTCATEGORY", "VISIBILITIESBYCATEGORY",
        "CATALOGNODEBYUSER", "USERNODE", "FAVORITEFOLDERS", "CATALOGNODEBYBP", "CONTRACTLINES"})
    all += Columns(table);
  EXPECT_EQ(all, R"(UNIT: UNITCODE nvarchar(10) NN PK1, UNITDESCRIPTION nvarchar(50)
HAZARDOUSCLASS: CLASSCODE nvarchar(10) NN PK1, CLASSDESCRIPTION nvarchar(100)
PROPERTY: PROPERTYID INTEGER PK1, PROPERTYNAME nvarchar(30), DATATYPE smallint, DEFAULTVALUE nvarchar(30) =NULL, EXTERNAL bit =0
PROPERTYENUM: PROPERTYID INT NN PK1, SEQUENCEID INT NN PK2, VALUE nvarchar(30)
PROPERTYGROUP: PROPERTYGROUPID INTEGER PK1, PROPERTYGROUPNAME nvarchar(50)
PROPSBYPROPGROUP: PROPERTYGROUPID INT NN PK1, PROPERTYID INT NN PK2, MANDATORY bit =0, SHOWINPRODUCTSHEET bit =0
FAQCATEGORY: FAQCATEGORYID INT NN PK1, FAQCATEGORYDESCRIPTION nvarchar(100)
FAQVISIBILITY: VISIBILITYID INT NN PK1, VISIBILITYDESCRIPTION nvarchar(100)
FAQISSUE: FAQISSUEID INTEGER PK1, PRODUCTID INT, PRODUCTCATEGORYID INT, FAQCATEGORYID INT, DESCRIPTION nvarchar(255), QUESTION ntext, VISIBILITY INT, ANSWER ntext, DATE datetime, ATTACHMENT nvarchar(255), LINK nvarchar(255)
UNSPSCCODES: PARENTCODE varchar(8) NN PK1, UNSPSCCODE varchar(2) NN PK2, LEVELNUMBER smallint, DESCRIPTION ntext
COMMODITY: COMMODITYCODE nvarchar(30) NN PK1, DESCRIPTION ntext, USERID nvarchar(50), PROPERTYGROUPID INT, CHARGETYPECODE nvarchar(20), TAXCODE nvarchar(20), BISITEMCODE nvarchar(30)
PRODUCTSBYCATEGORY: PRODUCTID INT NN PK1, CATEGORYID INT NN PK2, SEQUENCE INT
PRODUCT: PRODUCTID INTEGER PK1, PARTNUMBER nvarchar(50), PRODUCTDESCRIPTION nvarchar(255), UNITCODE nvarchar(10), CLASSCODE nvarchar(10), COMMODITYCODE nvarchar(30), CONTRACTCODE nvarchar(30), PRICINGMETHOD smallint, NUMBER smallint, MANUFACTURERID nvarchar(50), MFRPARTNUMBER nvarchar(50), BUSINESSPARTNERID INT, BUYFROMPARTNUMBER nvarchar(255), BUYFROMCONTACTINFO nvarchar(255), BUYFROMCONTACTEMAIL nvarchar(30), USERID nvarchar(50), MULTIPLEBUYER bit =0, PROPERTYGROUPID INT, UNSPSCCODE nvarchar(255), GTIN nvarchar(255), CONFIGURABLE bit =0, PRODUCTREMARK nvarchar(255), IMAGEFILENAME nvarchar(255), TECHNICALIMAGE nvarchar(255), URL nvarchar(255), PRODUCTXML nvarchar(255), PRODUCTEFFECTIVITYDATE datetime, PRODUCTEXPIRYDATE datetime, DISABLED bit =0, STOCKITEM bit =0, MINORDERQTY float, MULTIPLEOF float, LOTSIZE float, DELIVERYLEADTIME float, DATEUPDATED datetime, CLASSIFICATION nvarchar(32)
CATALOGPRODUCTPRICE: PRODUCTID INT NN, PRICEEFFECTIVEDATE datetime NN, QUANTITYTO float NN, GROUPBY nvarchar(50) =NULL, CURRENCYCODE nchar(3) NN, PRICE REAL money, DISCOUNTPERC REAL decimal(5,2), DISCOUNTAMOUNT REAL money, PRICETAXPERCENTAGE REAL decimal(5,2), FREIGHTCOST REAL money, PRICEEXPIRYDATE datetime
PRODUCTBUYER: PRODUCTID INT, USERID nvarchar(50)
PRODUCTPROPVALUE: PRODUCTID INT NN PK1, PROPERTYID INT NN PK2, VALUE nvarchar(30)
ALTERNATIVEPRODUCTS: ORIGINALPRODUCT INT NN PK1, ALTERNATIVEPRODUCT INT NN PK2
ATTACHEDFILE: ATTACHEDFILEID INTEGER PK1, PRODUCTID INT, FILENAME nvarchar(255)
FAVORITES: USERID nvarchar(50), PRODUCTID INT, WAREHOUSEFAVORITE bit =0, FOLDERID INT =0, PRESENT INT
MANUFACTURER: MANUFACTURERID nvarchar(50) NN PK1, MANUFACTURERNAME nvarchar(100)
TAXCODES: TAXCODE nvarchar(20) NN PK1, DESCRIPTION nvarchar(100), LEDGERACCOUNT nvarchar(30)
CATALOG: CATALOGID INTEGER PK1, CATALOGNAME nvarchar(255), ACTIVE bit =0, APPROVALCATALOG bit =0, SUPPLIERCATALOGID nvarchar(50), VERSION nvarchar(20), CATALOGLAYOUT bit =0, ICONID INT, CATALOGDESCRIPTION nvarchar(255)
CATALOGNODE: NODEID INTEGER PK1, ICONID INT, PARENTNODEID INT, CATALOGID INT, NODENAME nvarchar(100), SEQUENCE INT, NODETYPE INT, NODEURL nvarchar(255), CATEGORYID INT, NODEDESCRIPTION nvarchar(255), SHOPOUT bit NN =0
PRODUCTCATEGORY: CATEGORYID INTEGER PK1, CATEGORYNAME nvarchar(100), UNSPSCCODE nvarchar(10)
VISIBILITIESBYCATEGORY: CATEGORYID INT NN, VISIBILITYID INT NN
CATALOGNODEBYUSER: USERID nvarchar(50) NN, CATALOGID INT NN, NODEID INT, LEVEL smallint, ISPROFILE smallint NN =0, VIEWONLY bit =0, SHAREDID nvarchar(50), SHAREDPWD nvarchar(50)
USERNODE: USERID nvarchar(50) NN, CATALOGID INT, NODEID INT
FAVORITEFOLDERS: FOLDERID INTEGER PK1, FOLDERNAME nvarchar(50), USERID nvarchar(50)
CATALOGNODEBYBP: NODEID INT, CATALOGID INT, BUSINESSPARTNERID INT, LINKID INTEGER PK1
CONTRACTLINES: CONTRACTCODE nvarchar(30) NN PK1, NUMBER smallint NN PK2, OFFICEDESCRIPTION nvarchar(50)
)");
}

TEST_F(CatalogSchema, TextColumnsIgnoreCaseAndJoinedColumnsBelongToOneTable) {
  // Every text column of every table, keys included, compares by the
  // system's own collation.
  std::vector<std::string> others;
  sqlite3* handle = nullptr;
  sqlite3_open(db_.path().c_str(), &handle);
  data::InstallSqlServerTextRules(handle);
  std::istringstream columns(db_.RawQuery(
      "SELECT m.name || '.' || c.name FROM sqlite_schema m, pragma_table_info(m.name) c WHERE m.type = 'table' AND"
      " m.name NOT LIKE 'sqlite%' AND (c.type LIKE '%char%' OR c.type LIKE '%text%')"));
  for (std::string column; std::getline(columns, column, ';');) {
    const size_t dot = column.find('.');
    const char* collation = nullptr;
    sqlite3_table_column_metadata(handle, nullptr, column.substr(0, dot).c_str(), column.substr(dot + 1).c_str(),
                                  nullptr, &collation, nullptr, nullptr, nullptr);
    if (!collation || std::string(collation) != data::kTextCollation) others.push_back(column);
  }
  sqlite3_close(handle);
  EXPECT_EQ(others, std::vector<std::string>{});

  // Statements join these tables and name these columns unqualified: each
  // column must stand in exactly one of the tables, or SQLite calls it ambiguous.
  struct Join {
    std::string tables, columns;
  };
  for (const Join& join :
       {Join{"'PRODUCTSBYCATEGORY','PRODUCT','PRODUCTCATEGORY','CATALOGNODE'",
             "'PARTNUMBER','PRODUCTDESCRIPTION','BUYFROMPARTNUMBER','DISABLED'"},
        Join{"'PRODUCT','COMMODITY','PROPSBYPROPGROUP','PROPERTY','PRODUCTPROPVALUE'",
             "'VALUE','DATATYPE','PROPERTYNAME','MANDATORY','DEFAULTVALUE','EXTERNAL'"},
        Join{"'CATALOGNODEBYUSER','CATALOGNODE','CATALOG'", "'LEVEL','USERID','ISPROFILE'"}}) {
    EXPECT_EQ(db_.RawQuery("SELECT c.name || ' ' || count(*) FROM sqlite_schema m, pragma_table_info(m.name) c"
                           " WHERE m.name IN (" + join.tables + ") AND c.name IN (" + join.columns + ")"
                           " GROUP BY c.name HAVING count(*) <> 1"),
              "")
        << join.tables;
  }
}

TEST_F(CatalogSchema, PriceLineKeyTreatsNullAndEmptyGroupAlikeIgnoresLetterCaseAndStaysReadableByTheTool) {
  auto cn = db_.Open();
  // A line of product 7 from 2026-06-30; a group "-" is left to the default.
  auto insert = [&](const std::string& quantity, const std::string& group, const std::string& currency = "'EUR'") {
    const bool given = group != "-";
    return ErrorOf([&] {
      cn->Execute("INSERT INTO CATALOGPRODUCTPRICE (PRODUCTID, PRICEEFFECTIVEDATE, QUANTITYTO, CURRENCYCODE" +
                  std::string(given ? ", GROUPBY" : "") + ") VALUES (7, '2026-06-30', " + quantity + ", " +
                  currency + (given ? ", " + group : "") + ")");
    }).substr(0, 8);
  };
  EXPECT_EQ(insert("10", "-"), "no error");
  EXPECT_EQ(insert("10", "''"), "80040E2F");
  EXPECT_EQ(insert("10", "NULL"), "80040E2F");
  EXPECT_EQ(insert("50", "''"), "no error");
  EXPECT_EQ(insert("50", "NULL"), "80040E2F");
  EXPECT_EQ(insert("10", "N'Contract'"), "no error");
  EXPECT_EQ(insert("10", "'CONTRACT'"), "80040E2F");
  EXPECT_EQ(insert("10", "'contract '"), "80040E2F");  // trailing blanks are ignored, as the server does
  EXPECT_EQ(insert("100", "'A'", "NULL"), "80040E2F");  // a line without a currency cannot be priced

  // The group, amounts, percentages and code come back with the subtypes the
  // price readers expect.
  cn->Execute("UPDATE CATALOGPRODUCTPRICE SET CURRENCYCODE = 'US', PRICE = 12.5, DISCOUNTPERC = 12.62,"
              " PRICEEXPIRYDATE = '2026-12-31' WHERE QUANTITYTO = 50");
  EXPECT_EQ(Query(cn, "SELECT QUANTITYTO, GROUPBY, CURRENCYCODE, PRICE, DISCOUNTPERC, DISCOUNTAMOUNT, PRICEEXPIRYDATE"
                      " FROM CATALOGPRODUCTPRICE WHERE GROUPBY IS NULL OR GROUPBY = '' ORDER BY QUANTITYTO"),
            "QUANTITYTO=Double:10 GROUPBY=Null CURRENCYCODE=String:EUR PRICE=Null DISCOUNTPERC=Null "
            "DISCOUNTAMOUNT=Null PRICEEXPIRYDATE=Null\n"
            "QUANTITYTO=Double:50 GROUPBY=String: CURRENCYCODE=String:US  PRICE=Currency:12.5 "
            "DISCOUNTPERC=Currency:12.62 DISCOUNTAMOUNT=Null PRICEEXPIRYDATE=Date:2026-12-31\n");
  // The tool with the extension finds the key's index, written by the data
  // layer, intact.
  cn->Close();
  testtool::ToolHandle tool(db_.path(), testtool::ToolHandle::Extension::Loaded);
  EXPECT_EQ(tool.Query("PRAGMA integrity_check"), "ok");
}

// The price selections ask for lines by product in break order: the key
// hands them over in that order, so the first line in force is found
// without reading and sorting all of a product's lines.
TEST_F(CatalogSchema, PriceSelectionsTakeTheirLinesInBreakOrderFromTheKey) {
  testtool::ToolHandle tool(db_.path(), testtool::ToolHandle::Extension::Loaded);
  const std::vector<std::pair<std::string, std::string>> selections = {
      {"priced read",
       "SELECT PRICE FROM CATALOGPRODUCTPRICE WHERE PRODUCTID=7 AND GROUPBY = '' AND PRICEEFFECTIVEDATE<='2026-12-08'"
       " AND (PRICEEXPIRYDATE>='2026-12-08' OR PRICEEXPIRYDATE IS NULL) AND QUANTITYTO>=20 ORDER BY QUANTITYTO"},
      {"priced read, default group",
       "SELECT PRICE FROM CATALOGPRODUCTPRICE WHERE PRODUCTID=7 AND (GROUPBY='' OR GROUPBY IS NULL) AND"
       " PRICEEFFECTIVEDATE<='2026-12-08' AND (PRICEEXPIRYDATE>='2026-12-08' OR PRICEEXPIRYDATE IS NULL) AND"
       " QUANTITYTO>=20 ORDER BY QUANTITYTO"},
      {"price by quantity",
       "SELECT PRICE, QUANTITYTO FROM CATALOGPRODUCTPRICE WHERE PRODUCTID =7 AND QUANTITYTO <= 20 ORDER BY QUANTITYTO "
       "DESC"},
  };
  for (const auto& [label, sql] : selections) {
    const std::string plan = tool.Query("EXPLAIN QUERY PLAN " + sql);
    EXPECT_NE(plan.find("USING INDEX CATALOGPRODUCTPRICE_LINE (PRODUCTID=? AND QUANTITYTO"), std::string::npos)
        << label << ": " << plan;
    EXPECT_EQ(plan.find("TEMP B-TREE"), std::string::npos) << label << ": " << plan;
  }
}

TEST_F(CatalogSchema, IdentitiesNumberTheRowsAndNewRowsTakeTheDefaults) {
  auto cn = db_.Open();
  auto add = [&](const std::string& table, const std::string& field, const rt::Variant& value) {
    auto rs = data::Recordset::New();
    rs->Open("SELECT * FROM " + table + " WHERE 0=1", cn, data::kCursorKeyset, data::kLockOptimistic);
    rs->AddNew();
    rs->SetValue(field, value);
    rs->Update();
    return testdb::Render(*rs);
  };
  EXPECT_EQ(add("PROPERTY", "PROPERTYNAME", rt::Variant("Colour")),
            "PROPERTYID=Long:1 PROPERTYNAME=String:Colour DATATYPE=Null DEFAULTVALUE=Null EXTERNAL=Boolean:False\n");
  cn->Execute("DELETE FROM PROPERTY");
  EXPECT_EQ(add("PROPERTY", "PROPERTYNAME", rt::Variant("Size")).substr(0, 17), "PROPERTYID=Long:2");
  EXPECT_EQ(add("CATALOGNODEBYBP", "BUSINESSPARTNERID", rt::Variant(int32_t{12})),
            "NODEID=Null CATALOGID=Null BUSINESSPARTNERID=Long:12 LINKID=Long:1\n");
  EXPECT_NE(add("CATALOGNODE", "NODENAME", rt::Variant("Shop")).find("SHOPOUT=Boolean:False"), std::string::npos);
  auto product = add("PRODUCT", "PARTNUMBER", rt::Variant("P-1"));
  for (const char* flag : {"MULTIPLEBUYER=Boolean:False", "CONFIGURABLE=Boolean:False", "DISABLED=Boolean:False",
                           "STOCKITEM=Boolean:False", "PRODUCTID=Long:1"})
    EXPECT_NE(product.find(flag), std::string::npos) << flag;
}

}  // namespace
