// Product's readers beside writers. Called as the root of its transaction, a
// reader reads the last committed state in a read-only transaction of its
// own: it completes while another session holds the write lock, and does
// not see that session's uncommitted rows. Called inside a writer's
// transaction, it reads through that transaction and sees its rows.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/common/held_write_transaction.h"
#include "tests/quarvel/product_fixture.h"

namespace producttest {
namespace {

// Committed: product 1's line, 10 EUR up to 10 units (12.50 USD); the
// supplier's buyer.
const char* const kCommitted =
    "INSERT INTO CATALOGPRODUCTPRICE VALUES"
    " (1, '2026-01-01 00:00:00', 10, NULL, 'EUR', 10, NULL, NULL, NULL, NULL, NULL);"
    "UPDATE BUSINESSPARTNER SET USERID = 'buyer7' WHERE BUSINESSPARTNERID = 7;";

// What the other session writes and leaves uncommitted: a cheaper break for
// product 1 that would win for 5 units, a first line for product 2, product
// 4 of the supplier, another buyer, and a new dollar rate to the euro.
const char* const kUncommitted =
    "INSERT INTO CATALOGPRODUCTPRICE VALUES"
    " (1, '2026-01-01 00:00:00', 5, NULL, 'EUR', 20, NULL, NULL, NULL, NULL, NULL),"
    " (2, '2026-01-01 00:00:00', 10, NULL, 'EUR', 20, NULL, NULL, NULL, NULL, NULL);"
    "INSERT INTO PRODUCT (PRODUCTID, PARTNUMBER, PRODUCTDESCRIPTION, BUSINESSPARTNERID) VALUES (4, 'P-4', 'Four', 7);"
    "UPDATE BUSINESSPARTNER SET USERID = 'other' WHERE BUSINESSPARTNERID = 7;"
    "UPDATE CURRENCYRATE SET EUROSALESRATE = 2 WHERE CURRENCYCODE = 'USD';";

class ProductReaders : public PricedProductTest {
 protected:
  ProductReaders() { Exec(kCommitted); }
  static rt::Date March() { return Day(2026, 3, 1); }
};

struct ReaderCase {
  const char* label;
  std::function<std::string(IProduct&)> call;
  const char* expected;
};

// Each reader on a new root object while the other session holds the write
// lock: it answers the committed state (a reader that took the write lock
// would fail with "database is locked" after the busy timeout instead).
TEST_F(ProductReaders, RootReadersCompleteBesideAnOpenWriteAndAnswerTheCommittedState) {
  const std::vector<ReaderCase> cases = {
      {"getCatalogPriceAttributes: the committed line, converted at the committed rate",
       [](IProduct& p) { return Render(p.getCatalogPriceAttributes(1, March(), "USD", 5)); },
       "PRICE=Currency:12.5; DISCOUNTPERC=Currency:0; DISCOUNTAMOUNT=Currency:0; PRICETAXPERCENTAGE=Currency:0; "
       "FREIGHTCOST=Currency:0"},
      {"getCatalogPriceAttributes: no committed line",
       [](IProduct& p) { return Render(p.getCatalogPriceAttributes(2, March(), "USD", 5)); },
       "PRICE=Integer:0; DISCOUNTPERC=Integer:0; DISCOUNTAMOUNT=Integer:0; PRICETAXPERCENTAGE=Integer:0; "
       "FREIGHTCOST=Integer:0"},
      {"GetProductsBySupplier", [](IProduct& p) { return Listed(p.GetProductsBySupplier("7")); },
       "Long 1=P-1|; Long 2=P-2|; Long 3=P-3|"},
      {"GetDefaultProductBuyer, through BusinessPartner joining the read",
       [](IProduct& p) { return p.GetDefaultProductBuyer(1); }, "buyer7"},
      {"IReferentialIntegrity_Exists PRODUCTID 4",
       [](IProduct& p) {
         const bool exists = dynamic_cast<IReferentialIntegrity&>(p).IReferentialIntegrity_Exists(
             "", rt::Variant(rt::SafeArray::From({rt::Variant("PRODUCTID")})),
             rt::Variant(rt::SafeArray::From({rt::Variant(int32_t{4})})));
         return std::string(exists ? "True" : "False");
       },
       "False"},
  };
  Run([&] {
    HeldWriteTransaction writer(sandbox_.CatalogPath(), kUncommitted);
    for (const ReaderCase& c : cases) {
      SCOPED_TRACE(c.label);
      auto product = NewProduct();
      EXPECT_EQ(Answer([&] { return c.call(*product); }), std::string("String:") + c.expected);
    }
  });
}

// A reader joined to a writer's transaction reads through it: it sees the
// line the writer has added and not yet committed, which goes again when
// the writer aborts.
TEST_F(ProductReaders, JoinedReaderSeesItsWritersUncommittedLine) {
  Run([&] {
    std::string seen;
    quarveltest::AsRootProbe("Quarvel.TestWriter", rt::TransactionAttribute::Required, [&] {
      Rows("INSERT INTO CATALOGPRODUCTPRICE VALUES"
           " (2, '2026-01-01 00:00:00', 10, NULL, 'EUR', 20, NULL, NULL, NULL, NULL, NULL)",
           true);
      auto product = Inner<IProduct>("Quarvel.Product");
      seen = Render(product->getCatalogPriceAttributes(2, March(), "USD", 5));
      rt::GetObjectContext()->SetAbort();
    });
    EXPECT_EQ(seen,
              "PRICE=Currency:25; DISCOUNTPERC=Currency:0; DISCOUNTAMOUNT=Currency:0; PRICETAXPERCENTAGE=Currency:0; "
              "FREIGHTCOST=Currency:0");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM CATALOGPRODUCTPRICE WHERE PRODUCTID = 2"), "0\n");
  });
}

}  // namespace
}  // namespace producttest
