// One product's data and identifiers: the product dictionary with its
// buyer fallback, chosen columns, the manufacturer kept for the object's
// life, ids by part number, GTINs, alternatives, and the "not found"
// failures that are raised straight (unlogged) against those that get a
// description block.
#include <gtest/gtest.h>

#include "tests/quarvel/product_fixture.h"

namespace producttest {
namespace {

using ProductLookups = SampleProductTest;

TEST_F(ProductLookups, ProductDictionaryFallsBackToTheCommodityBuyerOnly) {
  Exec(
      "UPDATE PRODUCT SET USERID = NULL WHERE PARTNUMBER IN ('LAMP-300', 'PAPER-500');"
      "UPDATE COMMODITY SET USERID = 'approver1' WHERE COMMODITYCODE = 'ELECTRICAL';");
  Run([&] {
    auto product = NewProduct();
    EXPECT_EQ(Render(product->GetProductEx(3)),
              "PRODUCTID=Long:3; UNITCODE=String:PCE; PROPERTYGROUPID=Long:2; MANUFACTURERID=String:VOLTA; "
              "PARTNUMBER=String:LAMP-300; PRODUCTDESCRIPTION=String:Desk lamp 230 V; CONFIGURABLE=Boolean:False; "
              "PRODUCTREMARK=Null:; IMAGEFILENAME=Null:; TECHNICALIMAGE=Null:; URL=Null:; "
              "COMMODITYCODE=String:ELECTRICAL; CONTRACTCODE=Null:; NUMBER=Null:; BUSINESSPARTNERID=Long:2; "
              "PRODUCTXML=Null:; BUYFROMPARTNUMBER=String:MN-L300; BUYFROMCONTACTEMAIL=Null:; "
              "PRODUCTEFFECTIVITYDATE=Null:; PRODUCTEXPIRYDATE=Null:; DISABLED=Boolean:False; "
              "BUYFROMCONTACTINFO=Null:; MINORDERQTY=Null:; MULTIPLEOF=Null:; UNSPSCCODE=Null:; "
              "USERID=String:approver1; CHARGETYPECODE=String:EQUIPMENT; MULTIPLEBUYER=Boolean:False; "
              "MFRPARTNUMBEER=String:VE-L300; LOTSIZE=Null:; DELIVERYLEADTIME=Null:; CLASSCODE=Null:");
    // No buyer and no commodity: "", not the supplier's buyer (buyer1).
    auto paper = product->GetProductEx(5);
    EXPECT_EQ(rt::CStr(paper->Item(rt::Variant("USERID"))) + "|" + rt::CStr(paper->Item(rt::Variant("CHARGETYPECODE"))),
              "|");
  });
}

TEST_F(ProductLookups, TheManufacturerIsReadOncePerProductAndNeverRefreshed) {
  Run([&] {
    auto product = NewProduct();
    int32_t lamp = 3, drill = 7;
    EXPECT_EQ(product->getManufacturerID(lamp), "VOLTA");
    Exec("UPDATE PRODUCT SET MANUFACTURERID = 'ACME' WHERE PRODUCTID = 3");
    EXPECT_EQ(product->getManufacturerID(lamp), "VOLTA");
    EXPECT_EQ(product->getManufacturerID(drill), "VOLTA");
    EXPECT_EQ(product->getManufacturerID(lamp), "ACME");
  });
}

TEST_F(ProductLookups, ChosenColumnsByIdOrGtin) {
  Run([&] {
    auto product = NewProduct();
    const rt::Variant names = Array({"PARTNUMBER", "GTIN", "USERID"});
    EXPECT_EQ(Render(product->GetProductFields(names, 5, std::nullopt)),
              "PARTNUMBER=String:PAPER-500; GTIN=String:04006381333931; USERID=String:buyer1");
    // The id decides when both are given; a Null column comes back as "".
    EXPECT_EQ(Render(product->GetProductFields(names, 1, "04006381333931")),
              "PARTNUMBER=String:SHIRT-100; GTIN=String:; USERID=String:buyer1");
    EXPECT_EQ(Failure([&] { product->GetProductFields(names, std::nullopt, std::nullopt); }),
              "80040000 GetProductFields: |ERROR 0x80040000| METHOD: Quarvel.Product.getProductFields| DESC: Both "
              "optional arguments cannot be empty - you should pass i_lProductId or i_sGTIN.|");
    EXPECT_EQ(Failure([&] {
                product->GetProductFields(Array({"GTIN", "GTIN"}), 5, std::nullopt);
              }),
              "1C9 Quarvel: |ERROR 0x1C9| METHOD: Quarvel.Product.getProductFields| DESC: This key is already "
              "associated with an element of this collection.|");
  });
}

TEST_F(ProductLookups, IdsByPartNumbersGtinAndAlternatives) {
  Exec(
      "INSERT INTO PRODUCT (PARTNUMBER, PRODUCTDESCRIPTION, BUYFROMPARTNUMBER, STOCKITEM, DISABLED) "
      "VALUES ('LOOSE-1', 'In no category', 'SUP''1', 1, 1)");
  Run([&] {
    auto product = NewProduct();
    EXPECT_EQ(product->GetProductIDFromSupplierPartNum("SUP'1"), 9);
    auto bySource = [&](rt::Variant stock, rt::Variant disabled) {
      return product->GetProductIdFromPartNumSource("LOOSE-1", stock, disabled);
    };
    EXPECT_EQ(bySource(rt::Variant::Missing(), rt::Variant::Missing()), 9);
    EXPECT_EQ(bySource(rt::Variant(-1), rt::Variant(0)), -1);
    EXPECT_EQ(product->GetGTIN(5) + "|" + product->GetGTIN(1), "04006381333931|");
    EXPECT_EQ(BrintorTest::Rows(product->GetAlternativeProducts(1, rt::Variant::Missing())),
              "1|2|null|null|Safety gloves\n");
  });
}

// The "not found" answers of GetGTIN, GetProductDescription, GetProductEx
// and GetBisItemCode are raised as they are; GetProduct adds its block and
// logs once.
TEST_F(ProductLookups, NotFoundIsRaisedUnloggedExceptThroughGetProduct) {
  Run([&] {
    auto product = NewProduct();
    int32_t missing = 99;
    std::string commodity = "NONE";
    EXPECT_EQ(Failure([&] { product->GetGTIN(missing); }), "800400D0 Quarvel.Product.GetGTIN: ProductId not Found");
    EXPECT_EQ(Failure([&] { product->GetProductEx(missing); }),
              "800400C8 Quarvel.Product.GetProductEx: Product not present");
    EXPECT_EQ(Failure([&] { product->GetBisItemCode(commodity); }),
              "800400CE Quarvel.Product.GetBisItemCode: CommodityCode is Not found");
    EXPECT_EQ(LogEntries(), 0);
    EXPECT_EQ(Failure([&] { product->GetProduct(missing); }),
              "800400C8 Quarvel.Product.GetProductEx: |ERROR 0x800400C8| METHOD: Quarvel.Product.getProduct| DESC: "
              "Product not present.|");
    EXPECT_EQ(LogEntries(), 1);
  });
}

TEST_F(ProductLookups, AnEmptyProductTableHasNoHighestId) {
  Exec("DELETE FROM PRODUCT");
  Run([&] {
    EXPECT_EQ(Failure([&] { NewProduct()->GetMaxProductId(); }),
              "800A0BCD ADODB.Recordset: |ERROR 0x800A0BCD| METHOD: Quarvel.Product.GetMaxProductId| DESC: There is "
              "no current record: the recordset is at BOF or EOF, or the current record was deleted..|");
  });
}

}  // namespace
}  // namespace producttest
