// The product import drivers: insert or update, dropped values, lists, batch.
#include "tests/quarvel/product_xml_fixture.h"

namespace {

using ProductImport = ProductXmlTest;

TEST_F(ProductImport, AKnownPartNumberIsUpdatedAnUnknownOneInserted) {
  Run([&] {
    const std::string doc = Doc(Product("OS-SH100", F("PRODUCTREMARK", "updated") + F("Colour", "White")) +
                                Product("NEW-1", Sound() + F("Colour", "Red")));
    auto products = NewProductXml();
    for (const char* part : {"OS-SH100", "NEW-1", "NEW-1", "NONE"}) products->insertProductFromXML(doc, false, part, false);
    products->updateProductFromXML(doc, false, "NONE", false);
    // NEW-1 added once, then updated; a part number without an element writes nothing.
    Golden seen;
    seen.Add("remark of 1", Scalar("SELECT PRODUCTREMARK FROM PRODUCT WHERE PRODUCTID = 1"));
    seen.Add("values of OS-SH100", Values("OS-SH100"));
    seen.Add("row NEW-1", ProductRow("NEW-1")).Add("values of NEW-1", Values("NEW-1"));
    EXPECT_EQ(seen.Lines(),
              "remark of 1: updated\nvalues of OS-SH100: Colour=White Size=L Supplier reference=OS-SH100-BL\n"
              "row NEW-1: PARTNUMBER=NEW-1 PRODUCTDESCRIPTION=New product UNITCODE=PCE COMMODITYCODE=null "
              "CONTRACTCODE=null NUMBER=null BUSINESSPARTNERID=null USERID=null MULTIPLEBUYER=0 UNSPSCCODE=null "
              "GTIN=null MINORDERQTY=null LOTSIZE=null PRODUCTEFFECTIVITYDATE=null PRODUCTREMARK=null\n"
              "values of NEW-1: Colour=Red\n");
  });
}

// A product with nothing left, or refused by the row writer, is never
// written; the error report's master-data checks keep nothing out.
TEST_F(ProductImport, AProductThatLostValuesIsWrittenOnlyWithLeave) {
  Run([&] {
    const std::string doc = Doc(
        Product("A", Sound() + F("MULTIPLEBUYER", "2") + F("Colour", "Red")) +
        Product("B", F("UNIT", "Parsec") + F("MINORDERQTY", "x")) +
        // half a contract line is dropped
        Product("H", Sound() + F("CONTRACTCODE", "C-2026-01")) +
        // a converted field replaces the one of its name that the document gave
        Product("T", Sound() + F("USERID", "other") + F("BUSINESSPARTNERID", "2") + F("BUYERID", "buyer1") +
                         F("BUSINESSID", "BID-S100")) +
        Product("E", F("PARTNUMBER", "P") + F("PRODUCTDESCRIPTION", "") + F("UNIT", "PCE") + F("NEWPROP", "v")) +
        Product("C", F("PRODUCTDESCRIPTION", "no part number") + F("BUYERID", "nobody") + F("BUSINESSID", "BID-NONE")));
    auto products = NewProductXml();
    for (const char* part : {"A", "B", "H", "T", "E", "C"}) products->insertProductFromXML(doc, false, part, false);
    products->insertProductFromXML(doc, false, "B", true);
    Golden seen;
    seen.Add("added", Scalar("SELECT GROUP_CONCAT(BUYFROMPARTNUMBER) FROM PRODUCT WHERE " + AddedOnly()));
    seen.Add("properties", Scalar("SELECT COUNT(*) FROM PROPERTY"));
    products->insertProductFromXML(doc, false, "A", true);
    products->insertProductFromXML(doc, false, "T", true);
    seen.Add("row A, leave", ProductRow("A")).Add("values of A", Values("A"));
    seen.Add("user|partner of the added",
             Scalar("SELECT GROUP_CONCAT(IFNULL(USERID, 'null') || '|' || IFNULL(BUSINESSPARTNERID, 'null'), ' ')"
                    " FROM PRODUCT WHERE " + AddedOnly()));
    EXPECT_EQ(seen.Lines(),
              "added: C\nproperties: 5\n"
              "row A, leave: PARTNUMBER=NEW-1 PRODUCTDESCRIPTION=New product UNITCODE=PCE COMMODITYCODE=null "
              "CONTRACTCODE=null NUMBER=null BUSINESSPARTNERID=null USERID=null MULTIPLEBUYER=0 UNSPSCCODE=null "
              "GTIN=null MINORDERQTY=null LOTSIZE=null PRODUCTEFFECTIVITYDATE=null PRODUCTREMARK=null\n"
              "values of A: Colour=Red\nuser|partner of the added: nobody|null null|null buyer1|1\n");
  });
}

// Entries are not trimmed; an unknown part number fails where its
// properties are written, keeping what came before. More entries than a
// 16-bit counter reaches fail first.
TEST_F(ProductImport, AListUpdatesEachProductAndFailsAtAnUnknownOne) {
  Run([&] {
    const std::string doc = Doc(Product("OS-SH100", F("PRODUCTREMARK", "one")) +
                                Product("OS-GL200", F("PRODUCTREMARK", "two")) + Product("NEW-1", Sound() + F("P", "v")));
    const std::string remarks = "SELECT GROUP_CONCAT(IFNULL(PRODUCTREMARK, 'null')) FROM PRODUCT WHERE PRODUCTID < 4";
    auto products = NewProductXml();
    rt::Variant list = Array({"OS-SH100", "OS-GL200"});
    products->updateProductsFromXML(doc, false, list, false);
    EXPECT_EQ(Golden().Add("list", List(list)).Add("remarks", Scalar(remarks)).Line(),
              "list=(0..1) OS-SH100 OS-GL200 remarks=one,two,null");

    Exec("UPDATE PRODUCT SET PRODUCTREMARK = NULL");
    rt::Variant failing = Array({"OS-SH100", " OS-GL200", "NEW-1", "OS-GL200"});
    EXPECT_EQ(Failure([&] { products->updateProductsFromXML(doc, false, failing, false); }),
              "800400C8 Quarvel.ProductXML.updateProductProperties: "
              "|ERROR 0x800400C8| METHOD: Quarvel.ProductXML.updateProductsFromXML| DESC: "
              "|ERROR 0x800400C8| METHOD: Quarvel.ProductXML.updateInsertProductFromXML| DESC: "
              "|ERROR 0x800400C8| METHOD: Quarvel.ProductXML.updateProductProperties| DESC: Product not present.|.|.|");
    EXPECT_EQ(Golden()
                  .Add("remarks", Scalar(remarks))
                  .Add("added", Added())
                  .Add("properties", Scalar("SELECT COUNT(*) FROM PROPERTY"))
                  .Line(),
              "remarks=one,null,null added=0 properties=5");

    Exec("UPDATE PRODUCT SET PRODUCTREMARK = NULL");
    rt::Variant tooMany = Array(std::vector<rt::Variant>(32768, rt::Variant("OS-SH100")));
    EXPECT_EQ(RaisedBy([&] { products->updateProductsFromXML(doc, false, tooMany, false); }).number(),
              rt::vberr::kOverflow);
    EXPECT_EQ(Scalar("SELECT COUNT(PRODUCTREMARK) FROM PRODUCT"), "0");
  });
}

// Listed part numbers are written and their elements removed, the rest of
// the document kept; entries are trimmed; a part number listed more often
// than it occurs is handled without writing.
TEST_F(ProductImport, TheBatchWritesTheListAndLeavesTheRestInTheRestFile) {
  Run([&] {
    const std::string doc = "<ProductList xmlns=\"urn:products\">" +
                            Product("NEW-1", Sound("N1") + F("Colour", "Red")) +
                            Product("OS-SH100", F("PRODUCTREMARK", "first")) +
                            Product("OS-SH100", F("PRODUCTREMARK", "second")) +
                            "<Product buyfrompartnumber=\"O'B &quot;quoted&quot;\">" + Sound("Q") + "</Product>" +
                            Product("NOT-LISTED", Sound("X")) + "<Product>" + Sound("NO-ATTRIBUTE") + "</Product>" +
                            Product("BAD", Sound("B") + F("MULTIPLEBUYER", "2")) + "</ProductList>";
    auto products = NewProductXml();
    EXPECT_EQ(Batch(products, "p1/\\" + doc, {" NEW-1 ", "OS-SH100", "O'B \"quoted\"", "OS-SH100", "OS-SH100", "BAD"}),
              "(0..5)  NEW-1  OS-SH100 O'B \"quoted\" OS-SH100 OS-SH100 BAD");
    EXPECT_EQ(Scalar("SELECT GROUP_CONCAT(BUYFROMPARTNUMBER || ':' || IFNULL(PRODUCTREMARK, 'null'), ' ') FROM PRODUCT"
                     " WHERE PRODUCTID = 1 OR " + AddedOnly()),
              "OS-SH100:second NEW-1:null O'B \"quoted\":null");
    // The product with a dropped value is not written, yet handled.
    Golden rest;
    rest.Add("values of NEW-1", Values("NEW-1")).Add("rest file", PartNumbersIn(RestFile("p1")));
    rest.Add("rest file keeps NO-ATTRIBUTE", Read(RestFile("p1")).find("NO-ATTRIBUTE") != std::string::npos);
    EXPECT_EQ(rest.Lines(), "values of NEW-1: Colour=Red\nrest file: NOT-LISTED\nrest file keeps NO-ATTRIBUTE: true\n");

    // The rest file feeds the next batch; once nothing is left it goes.
    Batch(products, "p1/\\" + Doc(Product("NEW-1", Sound("N1"))), {"NEW-1"});
    EXPECT_EQ(Read(RestFile("p1")), "(none)");
    // With leave, the product that lost a value is written.
    Batch(products, "p2/\\" + doc, {"BAD"}, true);
    EXPECT_EQ(ProductRow("BAD"),
              "PARTNUMBER=B PRODUCTDESCRIPTION=New product UNITCODE=PCE COMMODITYCODE=null CONTRACTCODE=null "
              "NUMBER=null BUSINESSPARTNERID=null USERID=null MULTIPLEBUYER=0 UNSPSCCODE=null GTIN=null "
              "MINORDERQTY=null LOTSIZE=null PRODUCTEFFECTIVITYDATE=null PRODUCTREMARK=null\n");
    // A document that does not load, or a prefix that names no file, fails
    // before anything.
    rt::Variant list = Array({"BAD"});
    EXPECT_EQ(RaisedBy([&] { products->insertProductsFromXML("p/2/\\" + doc, false, list, true); }).number(),
              rt::vberr::kInvalidProcedureCall);
    EXPECT_EQ(Failure([&] { products->insertProductsFromXML("p2/\\<ProductList>", false, list, false); }),
              "800400D5 Quarvel.ProductXML.insertProductsFromXML: |ERROR 0x800400D5| METHOD: "
              "Quarvel.ProductXML.insertProductsFromXML| DESC: Unable to load XML.|");
  });
}

// The budget (its edges are the price import's to test, which shares it).
TEST_F(ProductImport, TheBudgetStopsBetweenPartNumbersAndTheListKeepsThoseHandled) {
  const std::string doc = Doc(Product("A", Sound("A")) + Product("B", Sound("B")));
  Run([&] {
    EXPECT_EQ(Batch(WithClock({1000, 1000, 1180}), "b/\\" + doc, {"A", "B"}), "(0..0) A");
    EXPECT_EQ(Golden().Add("rest file", PartNumbersIn(RestFile("b"))).Add("added", Added()).Line(),
              "rest file=B added=1");
  });
}

// The import runs outside any transaction and never votes.
TEST_F(ProductImport, InsideACallersTransactionItFailsAtOnceAndLeavesTheCallersWorkAlone) {
  Run([&] {
    std::string failure;
    EXPECT_TRUE(CallerKeepsItsWork([&] {
      failure = Failure([&] {
        Inner<IProductXML>("Quarvel.ProductXML")->insertProductFromXML(Doc(Product("A", Sound())), false, "A", false);
      });
    }));
    EXPECT_NE(failure.find("The database is locked by a transaction running on this thread"), std::string::npos)
        << failure;
    EXPECT_EQ(Added(), "0");
  });
}

}  // namespace
