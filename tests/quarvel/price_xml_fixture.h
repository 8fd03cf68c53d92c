// The fixture of the price-document tests, on the sample installation:
// currencies USD, EUR, XOF, GBP, JPY; products with the supplier part
// numbers OS-SH100, OS-GL200, MN-L300, MN-B400 (ids 1 to 4), among others.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "interfaces/price_xml.h"
#include "quarvel/import/price_xml.h"
#include "tests/quarvel/reference_fixture.h"

class PriceXmlTest : public ReferenceTest {
 protected:
  // The sample's own price lines are removed: each test starts without any.
  PriceXmlTest() : ReferenceTest(true) { Exec("DELETE FROM CATALOGPRODUCTPRICE"); }

  // A ProductPrice element of the part number holding `children`.
  static std::string Price(const std::string& partNumber, const std::string& children) {
    return "<ProductPrice buyfrompartnumber=\"" + partNumber + "\">" + children + "</ProductPrice>";
  }
  // The children of a sound line: 1/1/2026 to 12/31/2026, price 10 (USD),
  // discount 1, up to `quantity`.
  static std::string Sound(const std::string& quantity = "10", const std::string& price = "10",
                           const std::string& currency = "USD") {
    return "<PriceEffectiveDate>1/1/2026</PriceEffectiveDate><PriceExpiryDate>12/31/2026</PriceExpiryDate>"
           "<CurrencyCode>" +
           currency + "</CurrencyCode><Price>" + price + "</Price><DiscountAmount>1</DiscountAmount><QuantityTo>" +
           quantity + "</QuantityTo>";
  }
  static std::string Doc(const std::string& body) { return "<PriceList>" + body + "</PriceList>"; }

  static Object<IPriceXML> NewPriceXml() { return New<IPriceXML>("Quarvel.PriceXML"); }

  // A PriceXML whose batch reads `times` (seconds) from its clock.
  static std::shared_ptr<quarvel::PriceXML> WithClock(std::vector<double> times) {
    return Clocked<quarvel::PriceXML>("Quarvel.PriceXML", std::move(times));
  }

  // The batch on a list of part numbers; answers the list as it came back.
  template <class P>
  static std::string Import(P&& prices, const std::string& argument, std::vector<rt::Variant> partNumbers,
                            bool isUrl = false) {
    rt::Variant list = Array(std::move(partNumbers));
    prices->UpdateInsertPricesFromXML(argument, isUrl, list);
    return List(list);
  }

  // A dictionary of dictionaries: "KEY: {inner}" a line.
  static std::string Nested(const std::shared_ptr<rt::Dictionary>& outer) {
    std::string text;
    for (const rt::Dictionary::Entry& e : outer->Entries())
      text += rt::CStr(e.key) + ": {" + Render(e.item.AsObject()) + "}\n";
    return text;
  }

  // A checked list: "KEY=part|description|valid" a line.
  static std::string Checked(const std::shared_ptr<rt::Dictionary>& list) {
    std::string text;
    for (const rt::Dictionary::Entry& e : list->Entries()) {
      auto entry = std::dynamic_pointer_cast<rt::Collection>(e.item.AsObject());
      text += rt::CStr(e.key) + "=";
      for (int32_t i = 1; i <= entry->Count(); ++i) text += (i > 1 ? "|" : "") + rt::CStr(entry->Item(rt::Variant(i)));
      text += "\n";
    }
    return text;
  }

  // The price lines, one a line, each column named: product, effective
  // date, quantity, group, currency, price, discount %, discount, tax %,
  // freight, expiry.
  std::string PriceRows() const {
    return Golden::Query(
        sandbox_.CatalogPath(),
        "SELECT PRODUCTID, PRICEEFFECTIVEDATE, QUANTITYTO, GROUPBY, CURRENCYCODE, PRICE, DISCOUNTPERC, DISCOUNTAMOUNT,"
        " PRICETAXPERCENTAGE, FREIGHTCOST, PRICEEXPIRYDATE FROM CATALOGPRODUCTPRICE"
        " ORDER BY PRODUCTID, PRICEEFFECTIVEDATE, QUANTITYTO, GROUPBY",
        GoldenRowText::Named());
  }
  std::string PriceCount() const { return Scalar("SELECT COUNT(*) FROM CATALOGPRODUCTPRICE"); }

  std::string Download() const { return sandbox_.Site() + "/XMLDownload"; }
  std::string RestFile(const std::string& prefix) const {
    return Download() + "/remaining_prices_" + prefix + ".xml";
  }
};
