// A requisition line's properties from three sources, the existence tests,
// a product's stored values.
#include <gtest/gtest.h>

#include "tests/quarvel/product_fixture.h"

namespace producttest {
namespace {

// Properties A to D; group 10 (A mandatory, B) is product 1's, group 20 (B
// mandatory, C) its commodity COM's, group 30 (C mandatory, D mandatory) the
// user's as the stand-in for Brintor.User answers it. Product 1 stores a
// value for A and for D (not of its group); product 2 has no group.
class RequisitionProperties : public ProductTest {
 protected:
  RequisitionProperties() {
    Exec(
        "INSERT INTO PROPERTY VALUES (1, 'A', 1, 'a0', 0), (2, 'B', 2, 'b0', 0), (3, 'C', 3, 'c0', 0),"
        " (4, 'D', 4, NULL, 0);"
        "INSERT INTO PROPERTYGROUP VALUES (10, 'Product'), (20, 'Commodity'), (30, 'User');"
        "INSERT INTO PROPSBYPROPGROUP VALUES (10, 1, 1, 0), (10, 2, 0, 0), (20, 2, 1, 0), (20, 3, 0, 0),"
        " (30, 3, 1, 0), (30, 4, 1, 0);"
        "INSERT INTO COMMODITY (COMMODITYCODE, PROPERTYGROUPID) VALUES ('COM', 20), ('O''B', NULL);"
        "INSERT INTO PRODUCT (PRODUCTID, PARTNUMBER, PRODUCTDESCRIPTION, COMMODITYCODE, PROPERTYGROUPID) VALUES"
        " (1, 'P-1', 'One', 'COM', 10), (2, 'P-2', 'Two', NULL, NULL);"
        "INSERT INTO PRODUCTPROPVALUE VALUES (1, 1, 'a1'), (1, 4, 'd1');");
  }

  // A stand-in for Brintor.User answering `group` for every user; `asked`
  // counts its calls.
  std::unique_ptr<FakeClass> Users(int32_t group) {
    asked_->clear();
    return std::make_unique<FakeClass>("Brintor.User", [this, group] {
      auto user = std::make_shared<RecordingFake>("User", asked_);
      user->On("GetPropertyGroup", [group](rt::Args&) { return rt::Variant(group); });
      return rt::ObjectPtr(user);
    });
  }

  // "<key's subtype> <id>: PROPERTYNAME=... VALUE=... MANDATORY=... DATATYPE=..." per property.
  static std::string Properties(const std::shared_ptr<rt::Dictionary>& answer) {
    Golden rows;
    for (const rt::Dictionary::Entry& e : answer->Entries()) {
      auto items = std::dynamic_pointer_cast<rt::Collection>(e.item.AsObject());
      Golden row;
      for (const char* key : {"PROPERTYNAME", "VALUE", "MANDATORY", "DATATYPE"})
        row.Add(key, rt::Concat(items->Item(rt::Variant(key))));
      rows.Add(rt::TypeName(e.key) + " " + rt::CStr(e.key), row);
    }
    return rows.Lines();
  }

  std::shared_ptr<RecordingFake::Log> asked_ = std::make_shared<RecordingFake::Log>();
};

TEST_F(RequisitionProperties, TheFirstSourceOfAPropertyWinsWithItsMandatoryFlag) {
  Golden text;
  for (auto [group, commodity] : {std::pair{30, "COM"}, std::pair{0, ""}}) {
    auto users = Users(group);
    Run([&] {
      text.Add("user group " + std::to_string(group) + ", commodity '" + commodity + "'",
               Properties(NewProduct()->GetRequisitionLineProperties("u", commodity, 1)));
    });
  }
  EXPECT_EQ(text.Lines(),
            "user group 30, commodity 'COM':\n"
            "String 1: PROPERTYNAME=A VALUE=a1 MANDATORY=True DATATYPE=1\n"
            "String 2: PROPERTYNAME=B VALUE=b0 MANDATORY=True DATATYPE=2\n"
            "String 3: PROPERTYNAME=C VALUE=c0 MANDATORY=False DATATYPE=3\n"
            "String 4: PROPERTYNAME=D VALUE= MANDATORY=True DATATYPE=4\n"
            "user group 0, commodity '': String 1: PROPERTYNAME=A VALUE=a1 MANDATORY=True DATATYPE=1\n");
}

TEST_F(RequisitionProperties, TheUsersGroupIsAskedOnlyWhenTheOtherSourcesHaveNone) {
  Golden text;
  for (int32_t group : {30, 0}) {
    auto users = Users(group);
    Run([&] {
      auto product = NewProduct();
      std::string user = "u";
      Golden row;
      row.Add("product 1", product->RequisitionPropertiesPresent(1, "u")).Add("asked by then", asked_->size());
      row.Add("product 2", product->RequisitionPropertiesPresent(2, "o'u"));
      row.Add("asked by then", testing::PrintToString(*asked_));
      row.Add("commodity O'B", product->RequisitionCommodityPropertiesPresent("O'B", user));
      row.Add("asked by then", asked_->size());
      text.Add("user group " + std::to_string(group), row.Lines());
    });
  }
  EXPECT_EQ(text.Lines(),
            "user group 30:\nproduct 1: true\nasked by then: 0\nproduct 2: true\n"
            "asked by then: { \"Call GetPropertyGroup(String:o'u)\" }\ncommodity O'B: true\nasked by then: 2\n"
            "user group 0:\nproduct 1: true\nasked by then: 0\nproduct 2: false\n"
            "asked by then: { \"Call GetPropertyGroup(String:o'u)\" }\ncommodity O'B: false\nasked by then: 2\n");
}

TEST_F(RequisitionProperties, StoredValuesAreListedByNameAndWrittenAsGiven) {
  Run([&] {
    auto product = NewProduct();
    int32_t one = 1, two = 2, a = 1, b = 2;
    std::string quoted = "it's";
    product->UpdateProductPropertyValue(one, a, quoted);
    product->InsertProductPropertyValue(two, b, quoted);
    EXPECT_EQ(Failure([&] { product->InsertProductPropertyValue(two, b, quoted); }).substr(0, 9), "80040E2F ");
    product->UpdateProductPropertyValue(two, a, quoted);  // no such row: nothing changes
    auto rows = product->GetProductProperties(one);
    std::string text;
    for (const rt::Dictionary::Entry& e : rows->Entries())
      text += rt::CStr(e.key) + "=" + Render(e.item.AsObject()) + "\n";
    EXPECT_EQ(text,
              "1=PROPERTYID=Long:1; PROPERTYNAME=String:A; DATATYPE=Integer:1; VALUE=String:it's\n"
              "2=PROPERTYID=Long:4; PROPERTYNAME=String:D; DATATYPE=Integer:4; VALUE=String:d1\n");
  });
  EXPECT_EQ(Rows("SELECT * FROM PRODUCTPROPVALUE ORDER BY 1, 2"), "1|1|it's\n1|4|d1\n2|2|it's\n");
}

}  // namespace
}  // namespace producttest
