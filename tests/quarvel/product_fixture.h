// The fixture of the product tests: the catalog fixture
// (tests/quarvel/reference_fixture.h) with product objects created as the
// host creates them, the price lines read as text, and a referential
// registry of the test's own whose owners answer as told.
#pragma once

#include <stdlib.h>

#include <memory>
#include <string>
#include <vector>

#include "interfaces/product.h"
#include "interfaces/referential_integrity.h"
#include "tests/common/recording_fake.h"
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

// A component that answers the referential checker's questions as told.
class FakeOwner : public rt::Object, public IReferentialIntegrity {
 public:
  FakeOwner(bool answer, std::shared_ptr<std::vector<std::string>> log) : answer_(answer), log_(std::move(log)) {}
  const rt::DispatchTable* Dispatch() const override {
    static const rt::DispatchTable table =
        rt::DispatchBuilder<FakeOwner>("FakeOwner")
            .Method("IReferentialIntegrity_Exists", &FakeOwner::IReferentialIntegrity_Exists)
            .Method("IReferentialIntegrity_BeforeDelete", &FakeOwner::IReferentialIntegrity_BeforeDelete)
            .Build();
    return &table;
  }
  bool IReferentialIntegrity_Exists(const std::string& origin, const rt::Variant& keys,
                                    const rt::Variant& values) override {
    const rt::Variant& value = values.AsArray().At(0);
    log_->push_back("Exists(" + origin + ", " + rt::CStr(keys.AsArray().At(0)) + "=" + rt::TypeName(value) + ":" +
                    rt::Concat(value) + ")");
    return answer_;
  }
  bool IReferentialIntegrity_BeforeDelete(const std::string&, const rt::Variant&, const rt::Variant&) override {
    return true;
  }

 private:
  bool answer_;
  std::shared_ptr<std::vector<std::string>> log_;
};

class ProductTest : public ReferenceTest {
 protected:
  explicit ProductTest(bool sample = false) : ReferenceTest(sample) {}
  void TearDown() override { ::unsetenv("SUITE_REFERENCES"); }

  std::string StoredLines() const {
    return Rows(
        "SELECT PRODUCTID, PRICEEFFECTIVEDATE, QUANTITYTO, GROUPBY, CURRENCYCODE, PRICE, DISCOUNTPERC, "
        "DISCOUNTAMOUNT, PRICETAXPERCENTAGE, FREIGHTCOST, PRICEEXPIRYDATE FROM CATALOGPRODUCTPRICE "
        "ORDER BY PRODUCTID, PRICEEFFECTIVEDATE, QUANTITYTO, GROUPBY");
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

  // Makes `text` the referential checker's registry for the rest of the test.
  void UseReferences(const std::string& text) const {
    const std::string path = sandbox_.Site() + "/test-references.ini";
    std::ofstream(path, std::ios::trunc) << text;
    ::setenv("SUITE_REFERENCES", path.c_str(), 1);
  }

  // Registers for the test, as `progId`, an owner that answers every
  // existence question with `answer` and writes each question it gets to
  // `log` ("Exists(origin, KEY=Subtype:value)").
  static std::unique_ptr<FakeClass> Owner(const std::string& progId, bool answer,
                                          const std::shared_ptr<std::vector<std::string>>& log) {
    return std::make_unique<FakeClass>(
        progId, [answer, log] { return rt::ObjectPtr(std::make_shared<FakeOwner>(answer, log)); });
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

}  // namespace producttest
