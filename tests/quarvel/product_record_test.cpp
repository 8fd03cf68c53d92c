// The product record: Insert20/Update20 rules, references, property group,
// UNSPSC relinking, single-column writers.
#include <gtest/gtest.h>

#include "tests/quarvel/product_fixture.h"

namespace producttest {
namespace {

class ProductRecord : public ProductTest {
 protected:
  std::string Product(int32_t id, const char* columns) const {
    return Rows("SELECT " + std::string(columns) + " FROM PRODUCT WHERE PRODUCTID = " + std::to_string(id));
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
    EXPECT_EQ(std::to_string(id) +
                  Product(id, "PARTNUMBER, PRODUCTDESCRIPTION, UNITCODE, BUSINESSPARTNERID, NUMBER, GTIN, "
                              "PRODUCTREMARK, PRODUCTEXPIRYDATE, MFRPARTNUMBER, MULTIPLEBUYER, PRICINGMETHOD, "
                              "DATEUPDATED > '2001-01-01 00:00:00'") +
                  Product(second, "PARTNUMBER, GTIN, length(BUYFROMCONTACTINFO)"),
              "1A-1|First|null|null|null|00000000012345|null|null||null|2|1\n|123456789012345|255\n");
  });
}

TEST_F(ProductRecord, Insert20FieldCheckAnswersMinusOneAndWritesNothing) {
  Run([&] {
    auto product = NewProduct();
    auto insert = [&](const char* name, rt::Variant value) {
      return std::to_string(product->Insert20(Names({name}), Array({"P", "D", value}))) + " ";
    };
    std::string answers = insert("PARTNUMBER", "");
    answers += insert("PRODUCTREMARK", std::string(256, 'r'));
    answers += insert("PRODUCTEFFECTIVITYDATE", "-1");
    answers += Failure([&] { insert("PARTNUMBER", rt::Variant::Null()); });
    EXPECT_EQ(answers + insert("PRODUCTREMARK", std::string(255, 'r')),
              "-1 -1 -1 5E Quarvel: |ERROR 0x5E| METHOD: Quarvel.Product.Insert| DESC: Invalid use of Null.|1 ");
  });
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM PRODUCT") + std::to_string(LogEntriesWith("Quarvel.Product.Insert")), "1\n1");
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
    const std::string insert = Failure([&] { product->Insert20(Names({"USERID"}), Array({"E", "F", "buyer9"})); });
    EXPECT_EQ(insert + "\n" +
                  Failure([&] { product->Update20(1, Array({"USERID", "PRODUCTREMARK"}), Array({"buyer9", "x"})); }),
              "80040007 Quarvel: |ERROR 0x80040007| METHOD: Quarvel.Product.Insert| DESC: The product record you are "
              "trying to insert has an invalid reference to another record.|\n80040007 Quarvel: |ERROR 0x80040007| "
              "METHOD: Quarvel.Product.Update| DESC: The product record you are trying to insert has an invalid "
              "reference to another record.|");
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
    std::string answers = std::to_string(product->Insert20(Names({"PROPERTYGROUPID"}), Array({"A", "B", 3})));
    answers += std::to_string(product->Insert20(Names({"PROPERTYGROUPID"}), Array({"C", "D", -1})));
    for (auto [id, name, value] : {std::tuple{1, "PROPERTYGROUPID", rt::Variant(3)}, {2, "PROPERTYGROUPID", "4"},
                                   {1, "PRODUCTDESCRIPTION", "Other"}, {2, "PROPERTYGROUPID", -1}})
      answers += product->Update20(id, Array({name}), Array({value})) ? " True" : " False";
    EXPECT_EQ(answers, "12 True True True True");
  });
  EXPECT_EQ(testing::PrintToString(*calls) + Rows("SELECT COUNT(*) FROM PRODUCTPROPVALUE"),
            "{ \"Call UpdateGroupChange(Long:3, Long:1)\", \"Call UpdateGroupChange(Long:4, Long:2)\" }0\n");
}

// With the switch "Yes" (exactly) the product joins the categories of its
// code; an update without UNSPSCCODE keeps the code and so the categories.
TEST_F(ProductRecord, RelinkingFollowsTheCodeWhenSwitchedOn) {
  Exec("INSERT INTO PRODUCTCATEGORY (CATEGORYID, CATEGORYNAME, UNSPSCCODE) VALUES (1, 'IT', '43'), "
       "(2, 'Computers', '4321'), (3, 'Furniture', '56');");
  std::string links;
  auto link = [&] { links += Scalar("SELECT IFNULL(GROUP_CONCAT(PRODUCTID || ':' || CATEGORYID, ' '), '-') FROM "
                                    "(SELECT * FROM PRODUCTSBYCATEGORY ORDER BY 1, 2)") + "; "; };
  SetSwitch("yes");
  Run([&] { NewProduct()->Insert20(Names({"UNSPSCCODE"}), Array({"A", "B", "43211501"})); });
  link();
  SetSwitch("Yes");
  Run([&] {
    auto product = NewProduct();
    product->Insert20(Names({"UNSPSCCODE"}), Array({"C", "D", "43211501"}));
    link();
    product->Update20(2, Array({"PRODUCTDESCRIPTION"}), Array({"Renamed"}));
    product->Update(2, "PCE", -1, "", "C", "D", false, "", "", "");
    link();
    product->Update20(2, Array({"UNSPSCCODE"}), Array({"5610"}));
    link();
    product->Update20(2, Array({"UNSPSCCODE"}), Array({""}));
  });
  link();
  EXPECT_EQ(links + Rows("SELECT PRODUCTID, UNSPSCCODE FROM PRODUCT"),
            "-; 2:1 2:2; 2:1 2:2; 2:3; -; 1|43211501\n2|null\n");
}

// No MULTIPLEBUYER value counts as False: its buyer rows go.
TEST_F(ProductRecord, Update20WritesTheNamedColumnsButNeverTheKey) {
  Exec("INSERT INTO PRODUCT (PRODUCTID, PARTNUMBER, PRODUCTDESCRIPTION, MULTIPLEBUYER) VALUES (5, 'P', 'D', 1),"
       " (6, 'Q', 'E', NULL); INSERT INTO PRODUCTBUYER VALUES (5, 'b1'), (6, 'b2');");
  Run([&] {
    auto product = NewProduct();
    EXPECT_TRUE(product->Update20(5, Array({"PRODUCTID", "PRICINGMETHOD", "GTIN", "BUSINESSPARTNERID", "unitcode"}),
                                  Array({99, "", "7", "-1", "BX"})));
    std::string after = Product(5, "PRODUCTID, PRICINGMETHOD, GTIN, BUSINESSPARTNERID, UNITCODE") +
                        Scalar("SELECT GROUP_CONCAT(PRODUCTID) FROM PRODUCTBUYER");
    EXPECT_TRUE(product->Update20(6, Array({"PRODUCTREMARK"}), Array({"r"})));
    EXPECT_TRUE(product->Update20(5, Array({"MULTIPLEBUYER"}), Array({false})));
    after += "/" + Scalar("SELECT COUNT(*) FROM PRODUCTBUYER") + "\n";
    after += Failure([&] { product->Update20(5, Array({"GTIN"}), Array({"123456789012345"})); }) + "\n";
    EXPECT_EQ(after + Failure([&] { product->Update20(9, Array({"PRODUCTREMARK"}), Array({"r"})); }),
              "5|null|00000000000007|null|BX\n5,6/0\n"
              "5 Quarvel: |ERROR 0x5| METHOD: Quarvel.Product.Update| DESC: Invalid procedure call or argument.|\n"
              "800400C8 Quarvel.Product.Update: |ERROR 0x800400C8| METHOD: Quarvel.Product.Update| DESC: Product not "
              "present.|");
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
    EXPECT_EQ(inserted + Product(id, "UNITCODE, MANUFACTURERID, PARTNUMBER, CONFIGURABLE, PRODUCTREMARK, URL"),
              "PCE|null|M1|P-9|Nine|1|remark|nine.png|http://x/9\nnull|null|P-10|0||http://x/10\n");
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
