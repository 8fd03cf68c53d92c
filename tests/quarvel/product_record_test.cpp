// The product record: Insert20/Update20 rules, references, property group,
// UNSPSC relinking, single-column writers.
#include <gtest/gtest.h>

#include "tests/quarvel/product_fixture.h"

namespace producttest {
namespace {

class ProductRecord : public ProductTest {
 protected:
  // The product's columns, each named ("PARTNUMBER=A-1 GTIN=null").
  std::string Product(int32_t id, const char* columns) const {
    GoldenRowText layout = GoldenRowText::Named();
    layout.end = "";
    return Golden::Query(sandbox_.CatalogPath(),
                         "SELECT " + std::string(columns) + " FROM PRODUCT WHERE PRODUCTID = " + std::to_string(id), layout);
  }
  static rt::Variant Names(std::vector<rt::Variant> extra) {
    extra.insert(extra.begin(), {"PARTNUMBER", "PRODUCTDESCRIPTION"});
    return Array(std::move(extra));
  }
};

// Names are tested exactly: only the upper-case names get their rule, but a
// value is written to its column whatever the name's letter case. A GTIN
// longer than 14 stays as given; "partnumber" escapes the mandatory check.
TEST_F(ProductRecord, Insert20AppliesTheFieldRulesByExactName) {
  Run([&] {
    auto product = NewProduct();
    const int32_t id = product->Insert20(
        Names({"UNITCODE", "BUSINESSPARTNERID", "NUMBER", "GTIN", "PRODUCTREMARK", "PRODUCTEXPIRYDATE", "DATEUPDATED",
               "mfrpartnumber", "MULTIPLEBUYER", "PRICINGMETHOD"}),
        Array({"A-1", "First", "  ", -1, "-1", "12345", "", "", "2001-01-01", "", "", 2}));
    const int32_t second = product->Insert20(Array({"partnumber", "PRODUCTDESCRIPTION", "GTIN", "BUYFROMCONTACTINFO"}),
                                             Array({"", "Second", "123456789012345", std::string(255, 'x')}));
    Golden seen;
    seen.Add("id", id);
    seen.Add("row", Product(id, "PARTNUMBER, PRODUCTDESCRIPTION, UNITCODE, BUSINESSPARTNERID, NUMBER, GTIN, "
                                "PRODUCTREMARK, PRODUCTEXPIRYDATE, MFRPARTNUMBER, MULTIPLEBUYER, PRICINGMETHOD, "
                                "DATEUPDATED > '2001-01-01 00:00:00' AS UPDATEDNOW"));
    seen.Add("second row", Product(second, "PARTNUMBER, GTIN, length(BUYFROMCONTACTINFO) AS CONTACTINFOLENGTH"));
    EXPECT_EQ(seen.Lines(),
              "id: 1\nrow: PARTNUMBER=A-1 PRODUCTDESCRIPTION=First UNITCODE=null BUSINESSPARTNERID=null NUMBER=null "
              "GTIN=00000000012345 PRODUCTREMARK=null PRODUCTEXPIRYDATE=null MFRPARTNUMBER= MULTIPLEBUYER=null "
              "PRICINGMETHOD=2 UPDATEDNOW=1\n"
              "second row: PARTNUMBER= GTIN=123456789012345 CONTACTINFOLENGTH=255\n");
  });
}

TEST_F(ProductRecord, Insert20FieldCheckAnswersMinusOneAndWritesNothing) {
  Run([&] {
    auto product = NewProduct();
    auto insert = [&](const char* name, rt::Variant value) {
      return product->Insert20(Names({name}), Array({"P", "D", value}));
    };
    Golden answers;
    answers.Add("empty PARTNUMBER", insert("PARTNUMBER", ""));
    answers.Add("PRODUCTREMARK of 256", insert("PRODUCTREMARK", std::string(256, 'r')));
    answers.Add("PRODUCTEFFECTIVITYDATE -1", insert("PRODUCTEFFECTIVITYDATE", "-1"));
    answers.Add("Null PARTNUMBER", Failure([&] { insert("PARTNUMBER", rt::Variant::Null()); }));
    EXPECT_EQ(answers.Add("PRODUCTREMARK of 255", insert("PRODUCTREMARK", std::string(255, 'r'))).Lines(),
              "empty PARTNUMBER: -1\nPRODUCTREMARK of 256: -1\nPRODUCTEFFECTIVITYDATE -1: -1\n"
              "Null PARTNUMBER: 5E Quarvel: |ERROR 0x5E| METHOD: Quarvel.Product.Insert| DESC: Invalid use of Null.|\n"
              "PRODUCTREMARK of 255: 1\n");
  });
  EXPECT_EQ(Golden()
                .Add("products", Scalar("SELECT COUNT(*) FROM PRODUCT"))
                .Add("logged", LogEntriesWith("Quarvel.Product.Insert"))
                .Line(),
            "products=1 logged=1");
}

// A new row needs a part number and a description, whatever the letter
// case of their names: one left out or Null is refused as a Null mandatory
// value is, before anything is written; the empty text passes.
TEST_F(ProductRecord, Insert20RefusesANewRowWithoutPartNumberOrDescription) {
  Run([&] {
    struct Case {
      const char* what;
      std::vector<rt::Variant> names, values;
    };
    const std::vector<Case> cases = {
        {"no names", {}, {}},
        {"no description", {"PARTNUMBER"}, {"P"}},
        {"no part number", {"PRODUCTDESCRIPTION", "UNITCODE"}, {"D", "PCE"}},
        {"Null description in lower case", {"PARTNUMBER", "productdescription"}, {"P", rt::Variant::Null()}},
        {"Null part number in lower case", {"partnumber", "PRODUCTDESCRIPTION"}, {rt::Variant::Null(), "D"}},
        {"empty texts in lower case", {"partnumber", "productdescription"}, {"", ""}},
    };
    std::string answers;
    for (const Case& c : cases) {
      std::string answer = Answer([&] { return rt::Variant(NewProduct()->Insert20(Array(c.names), Array(c.values))); });
      answers += std::string(c.what) + ": " + answer + "\n";
    }
    EXPECT_EQ(answers,
              "no names: 5E Quarvel: |ERROR 0x5E| METHOD: Quarvel.Product.Insert| DESC: Invalid use of Null.|\n"
              "no description: 5E Quarvel: |ERROR 0x5E| METHOD: Quarvel.Product.Insert| DESC: Invalid use of Null.|\n"
              "no part number: 5E Quarvel: |ERROR 0x5E| METHOD: Quarvel.Product.Insert| DESC: Invalid use of Null.|\n"
              "Null description in lower case: 5E Quarvel: |ERROR 0x5E| METHOD: Quarvel.Product.Insert| DESC: "
              "Invalid use of Null.|\n"
              "Null part number in lower case: 5E Quarvel: |ERROR 0x5E| METHOD: Quarvel.Product.Insert| DESC: "
              "Invalid use of Null.|\n"
              "empty texts in lower case: Long:1\n");
  });
  EXPECT_EQ(Rows("SELECT PRODUCTID, PARTNUMBER, PRODUCTDESCRIPTION FROM PRODUCT"), "1||\n");
}

// The checker is asked about the record's supplier and buyer as they will
// be stored (-1 is Null, which refers to nothing); a refusal writes nothing.
TEST_F(ProductRecord, ReferencesAreCheckedWithTheStoredValues) {
  UseReferences(
      "[BUSINESSPARTNER]\nKey=BUSINESSPARTNERID\nOwner=Test.Partners\nReferredBy=Quarvel.Product:PRODUCT."
      "BUSINESSPARTNERID\n[USER]\nKey=USERID\nOwner=Test.Users\nReferredBy=Quarvel.Product:PRODUCT.USERID\n");
  auto questions = std::make_shared<std::vector<std::string>>();
  auto partners = Owner("Test.Partners", true, questions);
  auto users = Owner("Test.Users", false, questions);
  Run([&] {
    auto product = NewProduct();
    EXPECT_EQ(product->Insert20(Names({"BUSINESSPARTNERID", "USERID"}), Array({"A", "B", 7, " "})), 1);
    EXPECT_EQ(product->Insert20(Names({"BUSINESSPARTNERID"}), Array({"C", "D", -1})), 2);
    Golden refused;
    refused.Add("insert", Failure([&] { product->Insert20(Names({"USERID"}), Array({"E", "F", "buyer9"})); }));
    refused.Add("update", Failure([&] {
                  product->Update20(1, Array({"USERID", "PRODUCTREMARK"}), Array({"buyer9", "x"}));
                }));
    EXPECT_EQ(refused.Lines(),
              "insert: 80040007 Quarvel: |ERROR 0x80040007| METHOD: Quarvel.Product.Insert| DESC: The product record "
              "you are trying to insert has an invalid reference to another record.|\nupdate: 80040007 Quarvel: "
              "|ERROR 0x80040007| METHOD: Quarvel.Product.Update| DESC: The product record you are trying to insert "
              "has "
              "an invalid reference to another record.|\n");
  });
  EXPECT_EQ(testing::PrintToString(*questions),
            "{ \"Exists(Quarvel, BUSINESSPARTNERID=Long:7)\", \"Exists(Quarvel, USERID=String:buyer9)\", "
            "\"Exists(Quarvel, BUSINESSPARTNERID=Long:7)\", \"Exists(Quarvel, USERID=String:buyer9)\" }");
  EXPECT_EQ(Rows("SELECT PRODUCTID, USERID, PRODUCTREMARK FROM PRODUCT"), "1|null|null\n2|null|null\n");
}

// The group's default values come through Quarvel.PropertyGroup: on insert
// when the product has a group, on update only when the group changes; a
// group taken away removes the product's values.
TEST_F(ProductRecord, PropertyGroupIsReseededOnlyWhenItChanges) {
  Exec("INSERT INTO PRODUCTPROPVALUE VALUES (2, 1, 'Blue');");
  auto calls = std::make_shared<RecordingFake::Log>();
  FakeClass group("Quarvel.PropertyGroup", [calls] {
    auto fake = std::make_shared<RecordingFake>("PropertyGroup", calls);
    fake->On("UpdateGroupChange", [](rt::Args&) { return rt::Variant(true); });
    return rt::ObjectPtr(fake);
  });
  Run([&] {
    auto product = NewProduct();
    Golden answers;
    answers.Add("insert, group 3", product->Insert20(Names({"PROPERTYGROUPID"}), Array({"A", "B", 3})));
    answers.Add("insert, group -1", product->Insert20(Names({"PROPERTYGROUPID"}), Array({"C", "D", -1})));
    for (auto [id, name, value] : {std::tuple{1, "PROPERTYGROUPID", rt::Variant(3)}, {2, "PROPERTYGROUPID", "4"},
                                   {1, "PRODUCTDESCRIPTION", "Other"}, {2, "PROPERTYGROUPID", -1}})
      answers.Add("update " + std::to_string(id) + " " + name + "=" + rt::CStr(value),
                  product->Update20(id, Array({name}), Array({value})));
    EXPECT_EQ(answers.Lines(),
              "insert, group 3: 1\ninsert, group -1: 2\nupdate 1 PROPERTYGROUPID=3: true\n"
              "update 2 PROPERTYGROUPID=4: true\nupdate 1 PRODUCTDESCRIPTION=Other: true\n"
              "update 2 PROPERTYGROUPID=-1: true\n");
  });
  EXPECT_EQ(Golden()
                .Add("calls", testing::PrintToString(*calls))
                .Add("values", Scalar("SELECT COUNT(*) FROM PRODUCTPROPVALUE"))
                .Lines(),
            "calls: { \"Call UpdateGroupChange(Long:3, Long:1)\", \"Call UpdateGroupChange(Long:4, Long:2)\" }\n"
            "values: 0\n");
}

// With the switch "Yes" (exactly) the product joins the categories of its
// code; an update without UNSPSCCODE keeps the code and so the categories.
TEST_F(ProductRecord, RelinkingFollowsTheCodeWhenSwitchedOn) {
  Exec("INSERT INTO PRODUCTCATEGORY (CATEGORYID, CATEGORYNAME, UNSPSCCODE) VALUES (1, 'IT', '43'), "
       "(2, 'Computers', '4321'), (3, 'Furniture', '56');");
  Golden links;
  auto link = [&](const char* after) {
    links.Add(after, Scalar("SELECT IFNULL(GROUP_CONCAT(PRODUCTID || ':' || CATEGORYID, ' '), '-') FROM "
                            "(SELECT * FROM PRODUCTSBYCATEGORY ORDER BY 1, 2)"));
  };
  SetSwitch("yes");
  Run([&] { NewProduct()->Insert20(Names({"UNSPSCCODE"}), Array({"A", "B", "43211501"})); });
  link("switch yes, insert 1");
  SetSwitch("Yes");
  Run([&] {
    auto product = NewProduct();
    product->Insert20(Names({"UNSPSCCODE"}), Array({"C", "D", "43211501"}));
    link("switch Yes, insert 2");
    product->Update20(2, Array({"PRODUCTDESCRIPTION"}), Array({"Renamed"}));
    product->Update(2, "PCE", -1, "", "C", "D", false, "", "", "");
    link("updates without a code");
    product->Update20(2, Array({"UNSPSCCODE"}), Array({"5610"}));
    link("code 5610");
    product->Update20(2, Array({"UNSPSCCODE"}), Array({""}));
  });
  link("empty code");
  EXPECT_EQ(links.Add("codes", Rows("SELECT PRODUCTID, UNSPSCCODE FROM PRODUCT")).Lines(),
            "switch yes, insert 1: -\nswitch Yes, insert 2: 2:1 2:2\nupdates without a code: 2:1 2:2\n"
            "code 5610: 2:3\nempty code: -\ncodes:\n1|43211501\n2|null\n");
}

// No MULTIPLEBUYER value counts as False: its buyer rows go.
TEST_F(ProductRecord, Update20WritesTheNamedColumnsButNeverTheKey) {
  Exec("INSERT INTO PRODUCT (PRODUCTID, PARTNUMBER, PRODUCTDESCRIPTION, MULTIPLEBUYER) VALUES (5, 'P', 'D', 1),"
       " (6, 'Q', 'E', NULL); INSERT INTO PRODUCTBUYER VALUES (5, 'b1'), (6, 'b2');");
  Run([&] {
    auto product = NewProduct();
    EXPECT_TRUE(product->Update20(5, Array({"PRODUCTID", "PRICINGMETHOD", "GTIN", "BUSINESSPARTNERID", "unitcode"}),
                                  Array({99, "", "7", "-1", "BX"})));
    Golden after;
    after.Add("row 5", Product(5, "PRODUCTID, PRICINGMETHOD, GTIN, BUSINESSPARTNERID, UNITCODE"));
    after.Add("products with buyers", Scalar("SELECT GROUP_CONCAT(PRODUCTID) FROM PRODUCTBUYER"));
    EXPECT_TRUE(product->Update20(6, Array({"PRODUCTREMARK"}), Array({"r"})));
    EXPECT_TRUE(product->Update20(5, Array({"MULTIPLEBUYER"}), Array({false})));
    after.Add("buyers left", Scalar("SELECT COUNT(*) FROM PRODUCTBUYER"));
    after.Add("GTIN of 15", Failure([&] { product->Update20(5, Array({"GTIN"}), Array({"123456789012345"})); }));
    after.Add("product 9", Failure([&] { product->Update20(9, Array({"PRODUCTREMARK"}), Array({"r"})); }));
    EXPECT_EQ(after.Lines(),
              "row 5: PRODUCTID=5 PRICINGMETHOD=null GTIN=00000000000007 BUSINESSPARTNERID=null UNITCODE=BX\n"
              "products with buyers: 5,6\nbuyers left: 0\n"
              "GTIN of 15: 5 Quarvel: |ERROR 0x5| METHOD: Quarvel.Product.Update| DESC: Invalid procedure call or "
              "argument.|\nproduct 9: 800400C8 Quarvel.Product.Update: |ERROR 0x800400C8| METHOD: "
              "Quarvel.Product.Update| "
              "DESC: Product not present.|\n");
  });
}

// The fixed-argument forms write their nine arguments by position.
TEST_F(ProductRecord, InsertAndUpdateTakeTheirArgumentsByPosition) {
  Run([&] {
    auto product = NewProduct();
    const int32_t id = product->Insert("PCE", -1, "M1", "P-9", "Nine", true, "remark", "nine.png", "http://x/9");
    const std::string inserted = Product(id, "UNITCODE, PROPERTYGROUPID, MANUFACTURERID, PARTNUMBER, "
                                             "PRODUCTDESCRIPTION, CONFIGURABLE, PRODUCTREMARK, IMAGEFILENAME, URL");
    EXPECT_EQ(product->Insert("PCE", -1, "", "", "Nine", false, "", "", ""), -1);
    EXPECT_TRUE(product->Update(id, "", -1, "", "P-10", "Ten", false, "", "", "http://x/10"));
    EXPECT_EQ(Golden()
                  .Add("inserted", inserted)
                  .Add("updated", Product(id, "UNITCODE, MANUFACTURERID, PARTNUMBER, CONFIGURABLE, PRODUCTREMARK, URL"))
                  .Lines(),
              "inserted: UNITCODE=PCE PROPERTYGROUPID=null MANUFACTURERID=M1 PARTNUMBER=P-9 PRODUCTDESCRIPTION=Nine "
              "CONFIGURABLE=1 PRODUCTREMARK=remark IMAGEFILENAME=nine.png URL=http://x/9\n"
              "updated: UNITCODE=null MANUFACTURERID=null PARTNUMBER=P-10 CONFIGURABLE=0 PRODUCTREMARK= "
              "URL=http://x/10\n");
  });
}

TEST_F(ProductRecord, SingleColumnWriters) {
  Exec(kProducts);
  Exec("UPDATE PRODUCT SET DATEUPDATED = '2001-01-01 00:00:00'");
  Run([&] {
    auto product = NewProduct();
    product->Disable(1);
    product->Disable(2);
    product->Enable(2);
    EXPECT_TRUE(rt::CBool(product->SetUpdateDateToNow(3)));
    EXPECT_EQ(Failure([&] { product->SetUpdateDateToNow(99); }),
              "800400C8 Quarvel.Product.Update: |ERROR 0x800400C8| METHOD: Quarvel.Product.SetUpdateDateToNow| DESC: "
              "Product not present.|");
  });
  EXPECT_EQ(Rows("SELECT PRODUCTID, DISABLED, DATEUPDATED > '2001-01-01 00:00:00' FROM PRODUCT"),
            "1|1|0\n2|0|0\n3|0|1\n");
}

}  // namespace
}  // namespace producttest
