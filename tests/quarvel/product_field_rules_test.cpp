// The product fields' rules as the error report and the import both apply
// them: a field the report refuses is dropped or converted by the import,
// never written as it came.
#include <string>
#include <vector>

#include "tests/quarvel/product_xml_fixture.h"

namespace {

using ProductFieldRules = ProductXmlTest;

struct FieldCase {
  std::string fields;  // the product's elements besides its part number and description
  std::string expected;
};

// Each case is one product, reported on and then imported without leave to
// drop values; "written" says whether the import stored it.
TEST_F(ProductFieldRules, TheReportAndTheImportJudgeEveryFieldAlike) {
  SetSwitch("yes");
  const std::string pce = F("UNIT", "PCE");
  const std::vector<FieldCase> cases = {
      // Dropped when invalid, so the product is not written.
      {pce + F("COMMODITYCODE", "NOPE"), "reported=COMMODITYCODE written=no"},
      {pce + F("CONTRACTCODE", "C-2026-01"), "reported=CONTRACTCODE written=no"},
      {pce + F("NUMBER", "1"), "reported=NUMBER written=no"},
      {pce + F("PRODUCTEFFECTIVITYDATE", "31/12/2026"), "reported=PRODUCTEFFECTIVITYDATE written=no"},
      {pce + F("PRODUCTEXPIRYDATE", "soon"), "reported=PRODUCTEXPIRYDATE written=no"},
      {pce + F("MINORDERQTY", "many"), "reported=MINORDERQTY written=no"},
      {pce + F("MULTIPLEOF", "x"), "reported=MULTIPLEOF written=no"},
      {pce + F("GTIN", "12a"), "reported=GTIN written=no"},
      {pce + F("LOTSIZE", "x"), "reported=LOTSIZE written=no"},
      {pce + F("DELIVERYLEADTIME", "-"), "reported=DELIVERYLEADTIME written=no"},
      {pce + F("MULTIPLEBUYER", "2"), "reported=MULTIPLEBUYER written=no"},
      {pce + F("UNSPSCCODE", "43211599"), "reported=UNSPSCCODE written=no"},
      {pce + F("CLASSCODE", "99"), "reported=CLASSCODE written=no"},
      {F("UNIT", "Parsec"), "reported=UNITCODE written=no"},
      // Converted, so the product is written with what they became.
      {pce + F("BUSINESSID", "BID-NONE"), "reported=BUSINESSID written=yes"},
      {pce + F("BUYERID", "nobody"), "reported=BUYERID written=yes"},
      {pce + F("MULTIPLEBUYERSEPARATOR", "x"), "reported=MULTIPLEBUYERSEPARATOR written=yes"},
      // Sound values of the same rules are kept.
      {pce + F("COMMODITYCODE", "apparel") + F("CONTRACTCODE", "C-2026-01") + F("NUMBER", "1") +
           F("PRODUCTEFFECTIVITYDATE", "12/31/2026") + F("GTIN", "4006381333931") + F("MULTIPLEBUYER", "0") +
           F("UNSPSCCODE", "43211503") + F("CLASSCODE", "3"),
       "reported= written=yes"},
      {F("UNIT", "kilogram") + F("BUSINESSID", "BID-S200") + F("BUYERID", "buyer1"), "reported= written=yes"},
      // No rule: a text column is cut, a property taken as it is.
      {pce + F("PRODUCTREMARK", std::string(300, 'r')) + F("Colour", "anything"), "reported= written=yes"},
  };
  Run([&] {
    for (size_t i = 0; i < cases.size(); ++i) {
      const std::string part = "R" + std::to_string(i);
      const std::string doc = Doc(Product(part, F("PARTNUMBER", part) + F("PRODUCTDESCRIPTION", "d") + cases[i].fields));
      const auto errors = NewProductXml()->getErrorsInProductValues(doc, false, part);
      std::string reported;
      for (const rt::Dictionary::Entry& entry : errors->Entries())
        reported += (reported.empty() ? "" : ",") + rt::CStr(entry.key);
      NewProductXml()->insertProductFromXML(doc, false, part, false);
      const std::string written = ProductRow(part).empty() ? "no" : "yes";
      EXPECT_EQ("reported=" + reported + " written=" + written, cases[i].expected) << "case " << i << ": "
                                                                                    << cases[i].fields;
    }
  });
}

}  // namespace
