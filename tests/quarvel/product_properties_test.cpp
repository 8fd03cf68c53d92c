// Property values from the import: found or created, fitted, replaced, cut
// to 30 characters.
#include "tests/quarvel/product_xml_fixture.h"

namespace {

using ProductProperties = ProductXmlTest;

// Colour (3), Voltage (2, a number), Expiry date (4), Supplier reference (1).
TEST_F(ProductProperties, ValuesAreFittedToTheirPropertysDataType) {
  Exec("INSERT INTO PROPERTY VALUES (6, 'Expires', 4, NULL, 0)");
  Run([&] {
    const std::string doc = Doc(
        Product("A", Sound() + F("COLOUR", "Purple") + F("voltage", "high") + F("EXPIRES", "2/30/2026") +
                         F("FINISH", "O'Neill's matt") + F("MULTIPLEBUYERSEPARATOR", ";")) +
        Product("B", Sound("NEW-2") + F("Colour", "Red") + F("VOLTAGE", "1.5") + F("EXPIRES", "2/28/2026") +
                         F("FINISH", "gloss")));
    auto products = NewProductXml();
    products->insertProductFromXML(doc, false, "A", false);
    products->insertProductFromXML(doc, false, "B", false);
    // An enumerated value is not compared with the property's values. The
    // unknown name became one text property, external; the separator none.
    Golden seen;
    seen.Add("values of A", Values("A")).Add("values of B", Values("B"));
    seen.Add("properties after 5", Rows("SELECT PROPERTYID, PROPERTYNAME, DATATYPE, IFNULL(DEFAULTVALUE, 'null'), "
                                        "EXTERNAL FROM PROPERTY WHERE PROPERTYID > 5"));
    EXPECT_EQ(seen.Lines(),
              "values of A: Colour=Purple Voltage= Expires= FINISH=O'Neill's matt\n"
              "values of B: Colour=Red Voltage=1.5 Expires=2/28/2026 FINISH=gloss\n"
              "properties after 5:\n6|Expires|4|null|0\n7|FINISH|1|null|1\n");
  });
}

// A value the product has is replaced, whatever the property's EXTERNAL
// flag; one it lacks is added; the others stay. Of several properties of
// one name the product's own is replaced, and a product without one of
// them gets the oldest.
TEST_F(ProductProperties, AnUpdateReplacesAndAddsValuesAndKeepsTheOthers) {
  Exec("INSERT INTO PROPERTY VALUES (6, 'Grade', 1, NULL, 0), (7, 'GRADE', 2, NULL, 0);"
       " INSERT INTO PRODUCTPROPVALUE VALUES (1, 7, '1')");
  Run([&] {
    auto products = NewProductXml();
    products->updateProductFromXML(Doc(Product("OS-SH100", F("SUPPLIER_REF", "x") + F("Size", "XL") +
                                                           F("Voltage", "12") + F("WEIGHT", "2 kg") + F("GRADE", "2"))),
                                   false, "OS-SH100", false);
    // A second import finds the property the first one made.
    products->updateProductFromXML(Doc(Product("OS-SH100", F("weight", "3 kg"))), false, "OS-SH100", false);
    products->updateProductFromXML(Doc(Product("OS-GL200", F("GRADE", "A"))), false, "OS-GL200", false);
    Golden seen;
    seen.Add("values of OS-SH100", Values("OS-SH100")).Add("values of OS-GL200", Values("OS-GL200"));
    EXPECT_EQ(seen.Add("properties", Scalar("SELECT COUNT(*) FROM PROPERTY")).Lines(),
              "values of OS-SH100: Colour=Blue Size=XL Voltage=12 Supplier reference=OS-SH100-BL GRADE=2 "
              "SUPPLIER_REF=x "
              "WEIGHT=3 kg\nvalues of OS-GL200: Colour=Black Size=M Grade=A\nproperties: 9\n");
  });
}

// Names and values of properties are cut to 30 characters and text columns
// to their widths, counting characters; a cut entry that meets another of
// its name: the later in the document wins.
TEST_F(ProductProperties, NamesAndValuesAreCutByCharacters) {
  const std::string e = "\xC3\xA9";  // é: two bytes, one character
  std::string thirty;
  for (int i = 0; i < 30; ++i) thirty += e;
  const std::string longName = "A" + std::string(34, 'B');      // 35 characters
  const std::string cutName = "A" + std::string(29, 'B');       // its first 30
  Run([&] {
    const std::string doc = Doc(Product(
        "A", F("PARTNUMBER", thirty + thirty) + F("PRODUCTDESCRIPTION", "D") + F("UNIT", "PCE") +
                 F(longName, thirty + "tail") + F("BUYFROMCONTACTEMAIL", thirty + "x") + F(cutName + "CC", "first") +
                 F(cutName + "DD", "second")));
    auto products = NewProductXml();
    products->insertProductFromXML(doc, false, "A", true);
    Golden cut;
    cut.Add("PARTNUMBER", Scalar("SELECT PARTNUMBER FROM PRODUCT WHERE BUYFROMPARTNUMBER = 'A'"));
    cut.Add("BUYFROMCONTACTEMAIL", Scalar("SELECT BUYFROMCONTACTEMAIL FROM PRODUCT WHERE BUYFROMPARTNUMBER = 'A'"));
    EXPECT_EQ(cut.Add("values", Values("A")).Lines(),
              "PARTNUMBER: " + thirty + thirty.substr(0, 40) + "\nBUYFROMCONTACTEMAIL: " + thirty + "\nvalues: " +
                  cutName + "=second\n");
    // Without leave to drop values, the collision of two names is a drop.
    Exec("DELETE FROM PRODUCTPROPVALUE WHERE " + AddedOnly() + "; DELETE FROM PRODUCT WHERE " + AddedOnly());
    products->insertProductFromXML(doc, false, "A", false);
    const std::string added = Added();
    // A name exactly 30 characters long met after its cut twin.
    products->insertProductFromXML(Doc(Product("L", Sound() + F(longName, "cut") + F(cutName, "exact"))), false, "L",
                                   true);
    EXPECT_EQ(Golden().Add("added without leave", added).Add("values of L", Values("L")).Lines(),
              "added without leave: 0\nvalues of L: " + cutName + "=exact\n");
  });
}

}  // namespace
