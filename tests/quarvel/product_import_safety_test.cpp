// What the product import survives: document text that would reach a query,
// arbitrary documents. (Loading and prefixes are the price import's.)
#include <random>

#include "tests/quarvel/product_xml_fixture.h"

namespace {

using ProductImportSafety = ProductXmlTest;

// Quotes in part numbers, codes, ids, property names and values are data:
// lookups find nothing they do not name, and values are stored as written.
TEST_F(ProductImportSafety, TextOfTheDocumentNeverBecomesPartOfAQuery) {
  const std::string evil = "x' OR '1'='1";
  Exec("INSERT INTO PRODUCT (PARTNUMBER, PRODUCTDESCRIPTION, BUYFROMPARTNUMBER) VALUES ('Q', 'Quoted', 'O''B')");
  Run([&] {
    const std::string doc = Doc(
        Product("O'B", F("PRODUCTREMARK", "it's") + F("Q_UOTE", "'; DROP TABLE PRODUCT; --")) +
        Product(evil, F("PARTNUMBER", evil) + F("PRODUCTDESCRIPTION", evil) + F("UNIT", evil) +
                          F("COMMODITYCODE", evil) + F("CLASSCODE", evil) + F("BUSINESSID", evil) +
                          F("CONTRACTCODE", evil) + F("NUMBER", "1) OR (1=1") + F("BUYERID", evil)));
    auto products = NewProductXml();
    EXPECT_EQ(Render(products->getErrorsInProductValues(doc, false, evil)),
              "UNITCODE=String:" + evil + "; COMMODITYCODE=String:" + evil + "; CLASSCODE=String:" + evil +
                  "; BUSINESSID=String:" + evil + "; CONTRACTCODE=String:" + evil +
                  "; NUMBER=String:1) OR (1=1; BUYERID=String:" + evil);
    bool isUrl = false;
    EXPECT_EQ(Items(products->GetCheckedProductUpdateList(doc, isUrl)), "O'B|Quoted|False\n");
    Batch(products, "s/\\" + doc, {"O'B", evil}, true);
    Golden stored;
    stored.Add("remark of O'B", Scalar("SELECT PRODUCTREMARK FROM PRODUCT WHERE PARTNUMBER = 'Q'"));
    stored.Add("values of O'B", Values("O''B"));
    stored.Add("part number|user|unit of " + evil,
               Scalar("SELECT PARTNUMBER || '|' || USERID || '|' || IFNULL(UNITCODE, 'null') FROM PRODUCT"
                      " WHERE BUYFROMPARTNUMBER = 'x'' OR ''1''=''1'"));
    EXPECT_EQ(stored.Add("added", Added()).Lines(),
              "remark of O'B: it's\nvalues of O'B: Q_UOTE='; DROP TABLE PRODUCT; --\npart number|user|unit of " + evil +
                  ": " + evil + "|" + evil + "|null\nadded: 2\n");
  });
}

// Documents made of random pieces, some broken: every call answers or
// raises a COM error, and the database stays sound.
TEST_F(ProductImportSafety, ArbitraryDocumentsAreReadOrRefusedWithAnError) {
  const std::vector<std::string> names{"PARTNUMBER", "PRODUCTDESCRIPTION", "UNIT", "UnitCode", "GTIN", "BUYERID",
                                       "MULTIPLEBUYER", "MULTIPLEBUYERSEPARATOR", "NUMBER", "CONTRACTCODE",
                                       "UNSPSCCODE", "MINORDERQTY", "LOTSIZE", "PRODUCTEFFECTIVITYDATE", "Colour",
                                       "Voltage", "P" + std::string(40, 'x'), "\xC3\x89T\xC3\x89"};
  const std::vector<std::string> values{"", " ", "0", "-1", "1e308", "2", "PCE", "Piece", "buyer1;approver1", ";",
                                        "|", "12/31/2026", "43211503", "4", "O'Brien", "&amp;&lt;", std::string(300, 'v'),
                                        "\xE2\x82\xAC" + std::string(40, 'e'), "C-2026-01", "1.5"};
  std::mt19937 random(20261209);
  auto pick = [&](const std::vector<std::string>& from) { return from[random() % from.size()]; };
  SetSwitch("YES");
  Run([&] {
    auto products = NewProductXml();
    for (int round = 0; round < 60; ++round) {
      std::string body;
      const int count = 1 + random() % 4;
      for (int p = 0; p < count; ++p) {
        std::string fields;
        for (int f = random() % 8; f > 0; --f) fields += F(pick(names), pick(values));
        body += random() % 10 == 0 ? "<Product>" + fields + "</Product>"
                                   : Product("R" + std::to_string(random() % 5), fields);
      }
      std::string doc = Doc(body);
      if (random() % 8 == 0) doc.resize(random() % doc.size());
      const std::string part = "R" + std::to_string(random() % 5);
      bool isUrl = false;
      rt::Variant list = Array({part, "R" + std::to_string(random() % 5)});
      for (auto call : std::vector<std::function<void()>>{
               [&] { products->readOneProductFromXML(doc, false, part); },
               [&] { products->getErrorsInProductValues(doc, false, part); },
               [&] { products->GetCheckedProductInsertList(doc, isUrl); },
               [&] { products->GetCheckedProductUpdateList(doc, isUrl); },
               [&] { products->insertProductFromXML(doc, false, part, random() % 2 == 0); },
               [&] { products->insertProductsFromXML("z/\\" + doc, false, list, true); }}) {
        try {
          call();
        } catch (const rt::ComError&) {
        }
      }
    }
    EXPECT_GT(std::stoi(Added()), 0);
    EXPECT_EQ(
        Golden()
            .Add("integrity", Scalar("PRAGMA integrity_check"))
            .Add("buyers without product",
                 Scalar("SELECT COUNT(*) FROM PRODUCTBUYER WHERE PRODUCTID NOT IN (SELECT PRODUCTID FROM PRODUCT)"))
            .Line(),
        "integrity=ok buyers without product=0");
  });
}

}  // namespace
