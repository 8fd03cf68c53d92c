// The fixture of the product tests: the catalog fixture with product
// objects made as the host makes them, and the price lines as text.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "interfaces/product.h"
#include "tests/quarvel/reference_fixture.h"

namespace producttest {

// Currencies with simple rates: USD the home currency (1.25 per euro), the
// euro, GBP at 0.8 per dollar; JPY has no rate. 10 EUR are 12.50 USD and
// 10.00 GBP.
inline const char* const kCurrencies =
    "INSERT INTO CURRENCY VALUES ('USD', 'US Dollar', 1, 0, 0, 2, 1033);"
    "INSERT INTO CURRENCY VALUES ('EUR', 'Euro', 0, 1, 0, 2, NULL);"
    "INSERT INTO CURRENCY VALUES ('GBP', 'Pound', 0, 0, 0, 2, NULL);"
    "INSERT INTO CURRENCY VALUES ('JPY', 'Yen', 0, 0, 0, 0, NULL);"
    "INSERT INTO CURRENCYRATE VALUES ('USD', '2026-01-01 00:00:00', NULL, 1, 1.25, 1);"
    "INSERT INTO CURRENCYRATE VALUES ('GBP', '2026-01-01 00:00:00', NULL, 0.8, NULL, 1);";

// Supplier 7 and its products 1 to 3.
inline const char* const kProducts =
    "INSERT INTO BUSINESSPARTNER (BUSINESSPARTNERID, NAME) VALUES (7, 'Supplier');"
    "INSERT INTO PRODUCT (PRODUCTID, PARTNUMBER, PRODUCTDESCRIPTION, BUSINESSPARTNERID) VALUES "
    "(1, 'P-1', 'One', 7), (2, 'P-2', 'Two', 7), (3, 'P-3', 'Three', 7);";

class ProductTest : public ReferenceTest {
 protected:
  explicit ProductTest(bool sample = false) : ReferenceTest(sample) {}

  // The price lines, one a line, each column named.
  std::string StoredLines() const {
    return Golden::Query(sandbox_.CatalogPath(),
                         "SELECT PRODUCTID, PRICEEFFECTIVEDATE, QUANTITYTO, GROUPBY, CURRENCYCODE, PRICE, "
                         "DISCOUNTPERC, "
                         "DISCOUNTAMOUNT, PRICETAXPERCENTAGE, FREIGHTCOST, PRICEEXPIRYDATE FROM CATALOGPRODUCTPRICE "
                         "ORDER BY PRODUCTID, PRICEEFFECTIVEDATE, QUANTITYTO, GROUPBY",
                         GoldenRowText::Named());
  }

  // A product object as the host makes one: the root of a context of its
  // own, in a transaction that each outermost call ends.
  static std::shared_ptr<IProduct> NewProduct() {
    return std::dynamic_pointer_cast<IProduct>(
        rt::CreateRootObject("Quarvel.Product", std::make_shared<rt::Activity>()));
  }
  static IReferentialIntegrity& Integrity(const std::shared_ptr<IProduct>& product) {
    return dynamic_cast<IReferentialIntegrity&>(*product);
  }
  static rt::Date Day(int year, int month, int day) { return rt::Date::FromParts(year, month, day); }

  // A product list: "id=item" per entry, an array item's elements joined
  // by "|", entries joined by "; ".
  static std::string Listed(const std::shared_ptr<rt::Dictionary>& list) {
    std::string text;
    for (const rt::Dictionary::Entry& e : list->Entries()) {
      text += (text.empty() ? "" : "; ") + rt::TypeName(e.key) + " " + rt::CStr(e.key) + "=";
      if (!e.item.IsArray()) {
        text += rt::Concat(e.item);
        continue;
      }
      const rt::SafeArray& items = e.item.AsArray();
      for (int32_t i = items.LBound(); i <= items.UBound(); ++i) text += (i ? "|" : "") + rt::Concat(items.At(i));
    }
    return text;
  }
};

// An installation with the test's currencies and products 1 to 3.
class PricedProductTest : public ProductTest {
 protected:
  PricedProductTest() {
    Exec(kCurrencies);
    Exec(kProducts);
  }
};

// The sample installation (README "Products and prices"): products 1
// SHIRT-100, 2 GLOVE-200, 3 LAMP-300, 4 BATT-400, 5 PAPER-500 (in the
// office catalog and the archive), 6 PEN-600 (disabled), 7 DRILL-700 (two
// buyers), 8 CABLE-800; all but the pens and the paper in the catalog
// "Workshop and Safety".
class SampleProductTest : public ProductTest {
 protected:
  SampleProductTest() : ProductTest(true) {}

  // The id of the sample catalog or category of that name.
  std::string CatalogId(const std::string& name) const {
    return Scalar("SELECT CATALOGID FROM CATALOG WHERE CATALOGNAME = '" + name + "'");
  }
  std::string CategoryId(const std::string& name) const {
    return Scalar("SELECT CATEGORYID FROM PRODUCTCATEGORY WHERE CATEGORYNAME = '" + name + "'");
  }
  // Adds products (part number, description; stock items) to a category.
  void AddToCategory(const std::string& category, const std::vector<std::pair<std::string, std::string>>& products) {
    const std::string id = CategoryId(category);
    for (const auto& [part, description] : products)
      Exec("INSERT INTO PRODUCT (PARTNUMBER, PRODUCTDESCRIPTION, STOCKITEM) VALUES ('" + part + "', '" + description +
           "', 1); INSERT INTO PRODUCTSBYCATEGORY (PRODUCTID, CATEGORYID) SELECT MAX(PRODUCTID), " + id +
           " FROM PRODUCT;");
  }
};

}  // namespace producttest
