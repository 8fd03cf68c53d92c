// One product's data and identifiers, and how "not found" is raised.
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
              "PRODUCTREMARK=Null; IMAGEFILENAME=Null; TECHNICALIMAGE=Null; URL=Null; "
              "COMMODITYCODE=String:ELECTRICAL; CONTRACTCODE=Null; NUMBER=Null; BUSINESSPARTNERID=Long:2; "
              "PRODUCTXML=Null; BUYFROMPARTNUMBER=String:MN-L300; BUYFROMCONTACTEMAIL=Null; "
              "PRODUCTEFFECTIVITYDATE=Null; PRODUCTEXPIRYDATE=Null; DISABLED=Boolean:False; "
              "BUYFROMCONTACTINFO=Null; MINORDERQTY=Null; MULTIPLEOF=Null; UNSPSCCODE=Null; "
              "USERID=String:approver1; CHARGETYPECODE=String:EQUIPMENT; MULTIPLEBUYER=Boolean:False; "
              "MFRPARTNUMBEER=String:VE-L300; LOTSIZE=Null; DELIVERYLEADTIME=Null; CLASSCODE=Null");
    // No buyer and no commodity: "", not the supplier's buyer (buyer1).
    auto paper = product->GetProductEx(5);
    EXPECT_EQ(Golden()
                  .Add("USERID", rt::CStr(paper->Item(rt::Variant("USERID"))))
                  .Add("CHARGETYPECODE", rt::CStr(paper->Item(rt::Variant("CHARGETYPECODE"))))
                  .Line(),
              "USERID= CHARGETYPECODE=");
  });
}

TEST_F(ProductLookups, TheManufacturerIsReadOncePerProductAndNeverRefreshed) {
  Run([&] {
    auto product = NewProduct();
    int32_t lamp = 3, drill = 7;
    Golden read;
    read.Add("lamp", product->getManufacturerID(lamp));
    Exec("UPDATE PRODUCT SET MANUFACTURERID = 'ACME' WHERE PRODUCTID = 3");
    read.Add("lamp, changed", product->getManufacturerID(lamp)).Add("drill", product->getManufacturerID(drill));
    read.Add("lamp after the drill", product->getManufacturerID(lamp));
    EXPECT_EQ(read.Lines(), "lamp: VOLTA\nlamp, changed: VOLTA\ndrill: VOLTA\nlamp after the drill: ACME\n");
  });
}

TEST_F(ProductLookups, ChosenColumnsByIdOrGtin) {
  Run([&] {
    auto product = NewProduct();
    const rt::Variant names = Array({"PARTNUMBER", "GTIN", "USERID"});
    // The id decides when both are given; a Null column comes back as "".
    Golden text;
    text.Add("id 5", Render(product->GetProductFields(names, 5, std::nullopt)));
    text.Add("id 1 and a GTIN", Render(product->GetProductFields(names, 1, "04006381333931")));
    text.Add("neither", Failure([&] { product->GetProductFields(names, std::nullopt, std::nullopt); }));
    text.Add("GTIN twice", Failure([&] { product->GetProductFields(Array({"GTIN", "GTIN"}), 5, std::nullopt); }));
    EXPECT_EQ(text.Lines(),
              "id 5: PARTNUMBER=String:PAPER-500; GTIN=String:04006381333931; USERID=String:buyer1\n"
              "id 1 and a GTIN: PARTNUMBER=String:SHIRT-100; GTIN=String:; USERID=String:buyer1\n"
              "neither: 80040000 GetProductFields: |ERROR 0x80040000| METHOD: Quarvel.Product.getProductFields| DESC: "
              "Both optional arguments cannot be empty - you should pass i_lProductId or i_sGTIN.|\n"
              "GTIN twice: 1C9 Quarvel: |ERROR 0x1C9| METHOD: Quarvel.Product.getProductFields| DESC: This key is "
              "already associated with an element of this collection.|\n");
  });
}

TEST_F(ProductLookups, IdsByPartNumbersGtinAndAlternatives) {
  Exec(
      "INSERT INTO PRODUCT (PARTNUMBER, PRODUCTDESCRIPTION, BUYFROMPARTNUMBER, STOCKITEM, DISABLED) "
      "VALUES ('LOOSE-1', 'In no category', 'SUP''1', 1, 1)");
  Run([&] {
    auto product = NewProduct();
    Golden ids;
    ids.Add("supplier part number SUP'1", product->GetProductIDFromSupplierPartNum("SUP'1"));
    ids.Add("LOOSE-1",
            product->GetProductIdFromPartNumSource("LOOSE-1", rt::Variant::Missing(), rt::Variant::Missing()));
    ids.Add("LOOSE-1, -1, 0", product->GetProductIdFromPartNumSource("LOOSE-1", rt::Variant(-1), rt::Variant(0)));
    ids.Add("GTIN of 5", product->GetGTIN(5)).Add("GTIN of 1", product->GetGTIN(1));
    EXPECT_EQ(ids.Lines(),
              "supplier part number SUP'1: 9\nLOOSE-1: 9\nLOOSE-1, -1, 0: -1\nGTIN of 5: 04006381333931\nGTIN of 1: "
              "\n");
    EXPECT_EQ(BrintorTest::Rows(product->GetAlternativeProducts(1, rt::Variant::Missing())),
              "1|2|null|null|Safety gloves\n");
  });
}

TEST_F(ProductLookups, NotFoundIsRaisedUnloggedExceptThroughGetProduct) {
  Run([&] {
    auto product = NewProduct();
    int32_t missing = 99;
    std::string commodity = "NONE";
    Golden text;
    text.Add("GetGTIN", Failure([&] { product->GetGTIN(missing); }));
    text.Add("GetProductEx", Failure([&] { product->GetProductEx(missing); }));
    text.Add("GetBisItemCode", Failure([&] { product->GetBisItemCode(commodity); })).Add("logged", LogEntries());
    text.Add("GetProduct", Failure([&] { product->GetProduct(missing); }));
    EXPECT_EQ(text.Add("logged after", LogEntries()).Lines(),
              "GetGTIN: 800400D0 Quarvel.Product.GetGTIN: ProductId not Found\n"
              "GetProductEx: 800400C8 Quarvel.Product.GetProductEx: Product not present\n"
              "GetBisItemCode: 800400CE Quarvel.Product.GetBisItemCode: CommodityCode is Not found\nlogged: 0\n"
              "GetProduct: 800400C8 Quarvel.Product.GetProductEx: |ERROR 0x800400C8| METHOD: "
              "Quarvel.Product.getProduct| "
              "DESC: Product not present.|\nlogged after: 1\n");
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
