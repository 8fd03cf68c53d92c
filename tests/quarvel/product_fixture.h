// The fixture of the product tests: a fresh installation (suitehost init)
// whose catalog the tests fill and read with a plain SQLite handle, product
// objects created as the host creates them, a referential registry of the
// test's own, and renderings for golden comparisons.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "interfaces/product.h"
#include "interfaces/referential_integrity.h"
#include "runtime/com_error.h"
#include "runtime/context.h"
#include "runtime/dictionary.h"
#include "runtime/dispatch.h"
#include "runtime/registry.h"
#include "tests/brintor/brintor_sandbox.h"
#include "tests/common/raised_by.h"
#include "tests/common/recording_fake.h"
#include "tests/common/test_values.h"

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

class ProductTest : public ::testing::Test {
 protected:
  explicit ProductTest(bool sample = false) : sandbox_(sample) {}
  void SetUp() override { rt::Err().Clear(); }
  void TearDown() override { ::unsetenv("SUITE_REFERENCES"); }

  void Exec(const std::string& sql) const { sandbox_.Exec(sql); }
  // Runs the body on a fresh thread, whose catalog connection string is not
  // cached yet.
  template <class F>
  static void Run(F&& body) {
    BrintorSandbox::Run(std::forward<F>(body));
  }

  // The rows of a query on a plain SQLite handle, one a line, fields joined
  // by "|" (NULL as "null").
  std::string Rows(const std::string& sql) const {
    sqlite3* db = nullptr;
    sqlite3_open(sandbox_.CatalogPath().c_str(), &db);
    sqlite3_busy_timeout(db, 5000);
    std::string text;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) text = "(error)";
    while (st && sqlite3_step(st) == SQLITE_ROW) {
      for (int i = 0; i < sqlite3_column_count(st); ++i) {
        const unsigned char* v = sqlite3_column_text(st, i);
        text += (i ? "|" : "") + (v ? std::string(reinterpret_cast<const char*>(v)) : std::string("null"));
      }
      text += "\n";
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return text;
  }
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
  static rt::ObjectPtr NewLate() { return rt::CreateRootObject("Quarvel.Product", std::make_shared<rt::Activity>()); }
  static IReferentialIntegrity& Integrity(const std::shared_ptr<IProduct>& product) {
    return dynamic_cast<IReferentialIntegrity&>(*product);
  }

  static rt::Date Day(int year, int month, int day) { return rt::Date::FromParts(year, month, day); }

  // The failure a call raises as one line: "<hex number> <source>: <description>"
  // with each CR LF of a description block shown as "|".
  template <class F>
  static std::string Failure(F&& call) {
    rt::ComError e = RaisedBy(std::forward<F>(call));
    char number[16];
    std::snprintf(number, sizeof number, "%X", static_cast<uint32_t>(e.number()));
    return std::string(number) + " " + e.source() + ": " + std::regex_replace(e.description(), std::regex("\r\n"), "|");
  }

  // "KEY=Subtype:value" per entry, in order, joined by "; ".
  static std::string Render(const std::shared_ptr<rt::Dictionary>& dictionary) {
    if (!dictionary) return "(nothing)";
    std::string text;
    for (const rt::Dictionary::Entry& e : dictionary->Entries())
      text += (text.empty() ? "" : "; ") + rt::CStr(e.key) + "=" + rt::TypeName(e.item) + ":" + rt::Concat(e.item);
    return text;
  }

  // The log's entries (one a line) that hold `text`.
  int LogEntriesWith(const std::string& text) const {
    std::ifstream in(sandbox_.LogPath(), std::ios::binary);
    int count = 0;
    for (std::string line; std::getline(in, line);) count += line.find(text) != std::string::npos;
    return count;
  }

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

  BrintorSandbox sandbox_;
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
