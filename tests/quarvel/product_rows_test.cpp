// The import's writers of the product row and its buyers, and UNSPSC
// relinking.
#include "tests/quarvel/product_xml_fixture.h"

namespace {

using ProductRows = ProductXmlTest;

// An update changes only the columns it names, keeps a GTIN over 14
// characters, and leaves the other products alone; numbers are compared as
// numbers.
TEST_F(ProductRows, TheWritersStoreTheImportsColumnRules) {
  Run([&] {
    const std::string doc = Doc(
        Product("A", Sound("P-A", "Ann's \"best\" product") + F("MINORDERQTY", "0.0") + F("LOTSIZE", "-1") +
                         F("GTIN", "123") + F("BUSINESSID", "BID-NONE") + F("PRODUCTEFFECTIVITYDATE", "7/4/2026") +
                         F("PRODUCTREMARK", "O'Brien's remark") + F("COMMODITYCODE", "ELECTRICAL")) +
        Product("B", Sound("P-B", "Second") + F("MINORDERQTY", "5") + F("LOTSIZE", "-1.5") +
                         F("GTIN", "123456789012345") + F("BUSINESSID", "BID-S200") + F("UNIT", "pair")) +
        Product("OS-SH100", F("GTIN", "123456789012345") + F("MINORDERQTY", "0") + F("LOTSIZE", "-1.0") +
                                F("PRODUCTDESCRIPTION", "Work shirt, navy") + F("NUMBER", "1") +
                                F("CONTRACTCODE", "C-2026-02")));
    auto products = NewProductXml();
    for (const char* part : {"A", "B", "OS-SH100"}) products->insertProductFromXML(doc, false, part, false);
    // An unknown business id is no dropped value: the supplier is Null.
    Golden rows;
    rows.Add("A", ProductRow("A")).Add("B", ProductRow("B")).Add("OS-SH100", ProductRow("OS-SH100"));
    rows.Add("other products updated", Scalar("SELECT COUNT(*) FROM PRODUCT WHERE DATEUPDATED <> "
                                              "'2026-01-15 00:00:00' AND NOT " + AddedOnly()));
    EXPECT_EQ(rows.Lines(),
              "A: PARTNUMBER=P-A PRODUCTDESCRIPTION=Ann's \"best\" product UNITCODE=PCE COMMODITYCODE=ELECTRICAL "
              "CONTRACTCODE=null NUMBER=null BUSINESSPARTNERID=null USERID=null MULTIPLEBUYER=0 UNSPSCCODE=null "
              "GTIN=00000000000123 MINORDERQTY=1.0 LOTSIZE=null PRODUCTEFFECTIVITYDATE=2026-07-04 00:00:00 "
              "PRODUCTREMARK=O'Brien's remark\n"
              "B: PARTNUMBER=P-B PRODUCTDESCRIPTION=Second UNITCODE=PR COMMODITYCODE=null CONTRACTCODE=null "
              "NUMBER=null BUSINESSPARTNERID=2 USERID=null MULTIPLEBUYER=0 UNSPSCCODE=null GTIN=123456789012345 "
              "MINORDERQTY=5.0 LOTSIZE=-1.5 PRODUCTEFFECTIVITYDATE=null PRODUCTREMARK=null\n"
              "OS-SH100: PARTNUMBER=SHIRT-100 PRODUCTDESCRIPTION=Work shirt, navy UNITCODE=PCE COMMODITYCODE=APPAREL "
              "CONTRACTCODE=C-2026-02 NUMBER=1 BUSINESSPARTNERID=1 USERID=buyer1 MULTIPLEBUYER=0 UNSPSCCODE=null "
              "GTIN=123456789012345 MINORDERQTY=1.0 LOTSIZE=null PRODUCTEFFECTIVITYDATE=null PRODUCTREMARK=null\n"
              "other products updated: 1\n");
  });
}

// The column takes the first id; PRODUCTBUYER every id, repeats included,
// only while MULTIPLEBUYER is 1. An update rewrites the buyers from its own
// list: one without USERID leaves none (the column keeps its buyer); a
// product whose MULTIPLEBUYER is Null has none of its own either.
TEST_F(ProductRows, ABuyerListFillsUserIdAndEveryWriteRewritesTheBuyers) {
  Run([&] {
    const std::string list = F("BUYERID", ";; buyer1;approver1;buyer1");
    const std::string doc = Doc(Product("ONE", Sound() + list + F("MULTIPLEBUYER", "1")) +
                                Product("ZERO", Sound() + list + F("MULTIPLEBUYER", "0")) +
                                Product("NONE", Sound() + F("BUYERID", " ; ") + F("MULTIPLEBUYER", "1")));
    auto products = NewProductXml();
    for (const char* part : {"ONE", "ZERO", "NONE"}) products->insertProductFromXML(doc, false, part, false);
    Golden text;
    text.Add("USERID:MULTIPLEBUYER", Scalar("SELECT GROUP_CONCAT(IFNULL(USERID, 'null') || ':' || MULTIPLEBUYER, ' ') "
                                            "FROM PRODUCT WHERE " + AddedOnly()));
    text.Add("buyers", Golden().Add("ONE", Buyers("ONE")).Add("ZERO", Buyers("ZERO")).Add("NONE", Buyers("NONE")));
    text.Add("separator", products->get_MultipleBuyerSeparator());
    for (const std::string& fields : {F("BUYERID", "approver1"), F("PRODUCTREMARK", "no buyers given"),
                                      F("BUYERID", "buyer1;buyer1"), std::string(), F("BUYERID", "approver1")}) {
      if (fields.empty()) {
        Exec("UPDATE PRODUCT SET MULTIPLEBUYER = NULL WHERE BUYFROMPARTNUMBER = 'ONE'");
        text.Add("MULTIPLEBUYER of ONE", "Null");
        continue;
      }
      products->updateProductFromXML(Doc(Product("ONE", fields)), false, "ONE", false);
      text.Add("update ONE " + fields,
               Golden()
                   .Add("buyers", Buyers("ONE"))
                   .Add("USERID", Scalar("SELECT USERID FROM PRODUCT WHERE BUYFROMPARTNUMBER = 'ONE'")));
    }
    EXPECT_EQ(text.Lines(),
              "USERID:MULTIPLEBUYER: buyer1:1 buyer1:0 null:1\n"
              "buyers: ONE=buyer1 approver1 buyer1 ZERO= NONE=\nseparator: ;\n"
              "update ONE <BUYERID>approver1</BUYERID>: buyers=approver1 USERID=approver1\n"
              "update ONE <PRODUCTREMARK>no buyers given</PRODUCTREMARK>: buyers= USERID=approver1\n"
              "update ONE <BUYERID>buyer1;buyer1</BUYERID>: buyers=buyer1 buyer1 USERID=buyer1\n"
              "MULTIPLEBUYER of ONE: Null\n"
              "update ONE <BUYERID>approver1</BUYERID>: buyers= USERID=approver1\n");
  });
}

// With the switch on, a product joins the categories of its code and of
// the code's leading pairs (the sample's 4 Computers, 432115; 1 Office
// supplies, 4412; 2 Writing instruments, 441217); an update without a code
// keeps them, one with another code moves it.
TEST_F(ProductRows, ProductsFollowTheirUnspscCodeWhileTheSwitchIsOn) {
  auto links = [&] {
    return Scalar(
        "SELECT IFNULL(GROUP_CONCAT(BUYFROMPARTNUMBER || ':' || CATEGORYID, ' '), '') FROM (SELECT BUYFROMPARTNUMBER,"
        " CATEGORYID FROM PRODUCTSBYCATEGORY L JOIN PRODUCT P ON P.PRODUCTID = L.PRODUCTID WHERE P." +
        AddedOnly() + " ORDER BY 1, 2)");
  };
  Golden text;
  Run([&] { NewProductXml()->insertProductFromXML(Doc(Product("N", Sound() + F("UNSPSCCODE", "43211503"))), false,
                                                  "N", false); });
  SetSwitch("yes");
  Run([&] {
    auto products = NewProductXml();
    text.Add("N inserted, switch off", links());
    products->insertProductFromXML(Doc(Product("M", Sound() + F("UNSPSCCODE", "43211503"))), false, "M", false);
    text.Add("M inserted", links());
    products->updateProductFromXML(Doc(Product("M", F("PRODUCTREMARK", "r"))), false, "M", false);
    text.Add("M updated without a code", links());
    products->updateProductFromXML(Doc(Product("M", F("UNSPSCCODE", "44121704"))), false, "M", false);
  });
  EXPECT_EQ(text.Add("M updated to 44121704", links()).Lines(),
            "N inserted, switch off: \nM inserted: M:4\nM updated without a code: M:4\n"
            "M updated to 44121704: M:1 M:2\n");
}

TEST_F(ProductRows, InsertUpdateMultipleBuyerRewritesTheBuyersOfOneProduct) {
  Exec("UPDATE PRODUCT SET MULTIPLEBUYER = 1 WHERE PRODUCTID = 1; INSERT INTO PRODUCTBUYER VALUES (1, 'old')");
  Run([&] {
    auto products = NewProductXml();
    Golden text;
    auto write = [&](const char* label, rt::Variant id, rt::Variant buyers, const char* part) {
      const bool done = products->InsertUpdateMultipleBuyer(id, buyers);
      text.Add(label, Golden().Add("answer", done).Add("buyers", Buyers(part)));
    };
    write("'1', ';buyer1;;approver1;'", rt::Variant("1"), rt::Variant(";buyer1;;approver1;"), "OS-SH100");
    products.object->LetProperty("MultipleBuyerSeparator", rt::Variant("/"));
    write("1, 'a/b;c' split at /", rt::Variant(int32_t{1}), rt::Variant("a/b;c"), "OS-SH100");
    write("1.0, Null", rt::Variant(1.0), rt::Variant::Null(), "OS-SH100");
    write("2, 'buyer1'", rt::Variant(int32_t{2}), rt::Variant("buyer1"),
          "OS-GL200");  // MULTIPLEBUYER 0: the buyers go, none come
    EXPECT_EQ(text.Lines(),
              "'1', ';buyer1;;approver1;': answer=true buyers=buyer1 approver1\n"
              "1, 'a/b;c' split at /: answer=true buyers=a b;c\n1.0, Null: answer=true buyers=\n"
              "2, 'buyer1': answer=true buyers=\n");
    EXPECT_EQ(Failure([&] { products->InsertUpdateMultipleBuyer(rt::Variant(int32_t{99}), rt::Variant("x")); }),
              "800400C8 Quarvel.ProductXML.InsertUpdateMultipleBuyer: |ERROR 0x800400C8| METHOD: "
              "Quarvel.ProductXML.InsertUpdateMultipleBuyer| DESC: Product not present.|");
    // The id reaches no statement as text.
    for (const rt::Variant& id : {rt::Variant("1 OR 1=1"), rt::Variant()})
      EXPECT_EQ(RaisedBy([&] { products->InsertUpdateMultipleBuyer(id, rt::Variant("x")); }).number(),
                rt::vberr::kTypeMismatch);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM PRODUCTBUYER WHERE PRODUCTID IN (1, 2)"), "0");
  });
}

}  // namespace
