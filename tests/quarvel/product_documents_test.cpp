// Reading product documents: part numbers, one product, checked lists, the
// buyer separator a document sets.
#include "tests/quarvel/product_xml_fixture.h"

namespace {

using ProductDocuments = ProductXmlTest;
using X = ProductXmlTest;

// OS-SH100 and OS-GL200 are known, NEW-1 is not; a childless element and
// a repeated part number.
const std::string kList = X::Doc(
    X::Product("OS-SH100", X::F("PARTNUMBER", "SHIRT-100") + X::F("PRODUCTDESCRIPTION", "Shirt") + X::F("Unit", "PCE")) +
    X::Product("OS-GL200", X::F("PARTNUMBER", "GLOVE-200") + X::F("PRODUCTDESCRIPTION", "Gloves") + X::F("UNIT", "Pair")) +
    "<Product buyfrompartnumber=\"EMPTY\"/>" + X::Product("NEW-1", X::Sound()) +
    X::Product("OS-SH100", X::F("partnumber", "x") + X::F("UNIT", "PCE")));

TEST_F(ProductDocuments, OneProductReadsUpperCaseNamesWithUnitAsUnitCodeAndAPaddedGtin) {
  Run([&] {
    const std::string doc = Doc(
        Product("A", F("Unit", "PCE") + F("gtin", "123") + F("Colour", "Red") + "loose text<!-- note -->" +
                         F("PartNumber", "O'Brien &amp; Co") + F("COLOUR", "Blue") + F("Empty", "")) +
        Product("A", F("Later", "ignored")) + Product("B", F("GTIN", "123456789012345")));
    auto products = NewProductXml();
    // A repeated name keeps its first place and takes the later value; a longer GTIN is kept.
    Golden read;
    read.Add("A", Render(products->readOneProductFromXML(doc, false, "A")));
    read.Add("B", Render(products->readOneProductFromXML(doc, false, "B")));
    EXPECT_EQ(read.Lines(),
              "A: UNITCODE=String:PCE; GTIN=String:00000000000123; COLOUR=String:Blue; "
              "PARTNUMBER=String:O'Brien & Co; EMPTY=String:\nB: GTIN=String:123456789012345\n");
  });
}

TEST_F(ProductDocuments, TheCheckedListsAndThePartNumbersOfOneDocument) {
  Run([&] {
    auto products = NewProductXml();
    bool isUrl = false;
    // Update list: known products, the catalog's description, names as
    // written ("Unit", "partnumber" unknown); insert list: every product, the
    // document's description, names upper-cased.
    Golden text;
    text.Add("part numbers", Items(products->readBFPartNumbersFromXML(kList, false)));
    text.Add("update list", Items(products->GetCheckedProductUpdateList(kList, isUrl)));
    text.Add("insert list", Items(products->GetCheckedProductInsertList(kList, isUrl)));
    text.Add("errors of OS-SH100", Render(products->getErrorsInProductValues(kList, false, "OS-SH100")));
    text.Add("errors of NONE", Render(products->getErrorsInProductValues(kList, false, "NONE")));
    EXPECT_EQ(text.Lines(),
              "part numbers: OS-SH100|OS-GL200|NEW-1|OS-SH100\n"
              "update list:\nOS-SH100|Work shirt, blue|False\nOS-GL200|Safety gloves|True\nOS-SH100|Work shirt, "
              "blue|False\n"
              "insert list:\nOS-SH100|Shirt|True\nOS-GL200|Gloves|True\nNEW-1|New product|True\nOS-SH100||False\n"
              "errors of OS-SH100: \n"
              "errors of NONE: PRODUCTDESCRIPTION=String:; PARTNUMBER=String:; UNITCODE=String:\n");
  });
}

// A reader that meets a Product element without a part number fails; one
// that finds its product before it, or skips a childless one, does not. A
// document that does not load fails every reader.
TEST_F(ProductDocuments, AnElementWithoutAPartNumberOrADocumentThatDoesNotLoadFailsTheReaders) {
  Run([&] {
    const std::string doc = Doc(Product("A", Sound()) + "<Product/><Product>" + F("UNIT", "PCE") + "</Product>" +
                                Product("B", Sound()));
    auto products = NewProductXml();
    bool isUrl = false;
    EXPECT_EQ(Render(products->readOneProductFromXML(doc, false, "A")),
              "PARTNUMBER=String:NEW-1; PRODUCTDESCRIPTION=String:New product; UNITCODE=String:PCE");
    EXPECT_EQ(Failure([&] { products->readOneProductFromXML(doc, false, "B"); }),
              "5B Quarvel: |ERROR 0x5B| METHOD: Quarvel.ProductXML.readOneProductFromXML| DESC: |ERROR 0x5B| METHOD: "
              "Quarvel.ProductXML.getProductNodes| DESC: Object variable or With block variable not set.|.|");
    for (auto read : std::vector<std::function<void()>>{
             [&] { products->readBFPartNumbersFromXML(doc, false); },
             [&] { products->GetCheckedProductInsertList(doc, isUrl); },
             [&] { products->GetCheckedProductUpdateList(doc, isUrl); }})
      EXPECT_EQ(RaisedBy(read).number(), rt::vberr::kObjectNotSet);
    EXPECT_EQ(Items(products->readBFPartNumbersFromXML(Doc(Product("A", Sound()) + "<Product/>"), false)), "A");
    EXPECT_EQ(Failure([&] { products->readOneProductFromXML("<ProductList>", false, "A"); }),
              "800400D5 Quarvel.ProductXML.getProductNodeList: |ERROR 0x800400D5| METHOD: "
              "Quarvel.ProductXML.readOneProductFromXML| DESC: |ERROR 0x800400D5| METHOD: "
              "Quarvel.ProductXML.getProductNodeList| DESC: Unable to load XML.|.|");
  });
}

// The separator is "" on a new object and ";" once a buyer list was split;
// a document's MULTIPLEBUYERSEPARATOR sets it as it is read, even to a
// value the checks refuse, and it stays for the object's later calls.
TEST_F(ProductDocuments, TheBuyerSeparatorOfADocumentStaysForLaterCalls) {
  Run([&] {
    auto products = NewProductXml();
    Golden text;
    text.Add("new object's separator", "'" + rt::CStr(products.object->GetProperty("MultipleBuyerSeparator")) + "'");
    const std::string buyers = Doc(Product("A", Sound() + F("BUYERID", "buyer1|buyer1")));
    const std::string bar = Doc(Product("B", Sound() + F("MultipleBuyerSeparator", "|")));
    int step = 0;
    for (const auto& [doc, part] : {std::pair{buyers, "A"}, {bar, "B"}, {buyers, "A"}}) {
      const std::string errors = Render(products->getErrorsInProductValues(doc, false, part));
      text.Add(std::to_string(++step) + ". " + part,
               Golden().Add("errors", errors).Add("separator", "'" + products->get_MultipleBuyerSeparator() + "'"));
    }
    // Split at ";": one id "buyer1|buyer1", no user.
    EXPECT_EQ(text.Lines(),
              "new object's separator: ''\n1. A: errors=BUYERID=String:buyer1|buyer1 separator=';'\n"
              "2. B: errors=MULTIPLEBUYERSEPARATOR=String:| separator='|'\n3. A: errors= separator='|'\n");
    // The update list reads the name as written: a separator element in
    // another letter case sets nothing while the list is read, but its
    // check sets it all the same.
    bool isUrl = false;
    const std::string lower = Doc(Product("OS-SH100", F("PARTNUMBER", "P") + F("PRODUCTDESCRIPTION", "D") +
                                                          F("UNITCODE", "PCE") + F("BUYERID", "buyer1/buyer1") +
                                                          F("MultipleBuyerSeparator", "/")));
    EXPECT_EQ(Items(products->GetCheckedProductUpdateList(lower, isUrl)), "OS-SH100|Work shirt, blue|False\n");
    EXPECT_EQ(products->get_MultipleBuyerSeparator(), "/");
    EXPECT_EQ(Items(products->GetCheckedProductUpdateList(lower, isUrl)), "OS-SH100|Work shirt, blue|True\n");
  });
}

}  // namespace
