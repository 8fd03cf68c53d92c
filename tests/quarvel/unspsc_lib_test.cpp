// UNSPSCLib: the links of products to product categories that follow their
// UNSPSC codes, from the product's side and from the category's, with the
// numbering of new members, the statements a call runs (none for equal
// codes), its failures and the transaction that undoes them; and the
// configuration switch the callers test.
#include "quarvel/reference/unspsc_lib.h"

#include <gtest/gtest.h>

#include <limits>

#include "common/lib_mts.h"
#include "tests/quarvel/unspsc_fixture.h"

namespace {

namespace lib = quarvel::UNSPSCLib;
using unspsctest::UNSPSCTest;

// Categories 1 "43", 2 "4321", 3 "432115", 4 "43211501", 5 "4322", 6 "44";
// products 10 "43211501", 11 "4321", 12 "43221501", 13 "44121704", 14 "4321150101".
class Relinking : public UNSPSCTest {
 protected:
  Relinking() {
    Exec("INSERT INTO PRODUCTCATEGORY (CATEGORYID, CATEGORYNAME, UNSPSCCODE) VALUES "
         "(1, 'IT', '43'), (2, 'Computers', '4321'), (3, 'PCs', '432115'), (4, 'Servers', '43211501'),"
         "(5, 'Telecom', '4322'), (6, 'Office', '44');"
         "INSERT INTO PRODUCT (PRODUCTID, PARTNUMBER, UNSPSCCODE) VALUES "
         "(10, 'srv', '43211501'), (11, 'pc', '4321'), (12, 'phone', '43221501'), (13, 'pen', '44121704'),"
         "(14, 'blade', '4321150101');");
  }
  // The links, "product>category#sequence" in key order.
  std::string Links() const {
    std::string text = Rows(
        "SELECT PRODUCTID || '>' || CATEGORYID || '#' || IFNULL(SEQUENCE, 'null') FROM PRODUCTSBYCATEGORY ORDER BY "
        "PRODUCTID, CATEGORYID");
    for (char& c : text) c = c == '\n' ? ' ' : c;
    return text;
  }
  // Runs a relinking in a transaction of its own, as the writers do.
  template <class F>
  void Relink(F&& call) const {
    Run([&] { InTransaction(call); });
  }
};

TEST_F(Relinking, ANewProductJoinsEveryCategoryOfItsCodeAfterEachOnesHighestNumber) {
  Exec("INSERT INTO PRODUCTSBYCATEGORY VALUES (11, 1, 7), (12, 1, 3), (11, 2, 2)");
  Relink([] { lib::UpdateProductLinksForUNSPSCCode(10, "", "43211501", true); });
  // 43 numbers on from 7, 4321 from 2; 432115 and 43211501 had no members.
  EXPECT_EQ(Links(), "10>1#8 10>2#3 10>3#1 10>4#1 11>1#7 11>2#2 12>1#3 ");
}

TEST_F(Relinking, AChangedProductCodeMovesOnlyTheLinksThatDiffer) {
  // Product 11 "4321" is in 43 and 4321, and already (by another hand) in 4322.
  Exec("INSERT INTO PRODUCTSBYCATEGORY VALUES (11, 1, 1), (11, 2, 1), (11, 5, 4), (12, 5, 9)");
  Relink([] { lib::UpdateProductLinksForUNSPSCCode(11, "4321", "4322", false); });
  // 43 untouched, 4321 gone, 4322 not inserted again.
  EXPECT_EQ(Links(), "11>1#1 11>5#4 12>5#9 ");
  Relink([] { lib::UpdateProductLinksForUNSPSCCode(11, "4322", "", false); });
  EXPECT_EQ(Links(), "12>5#9 ");
  // A code no category carries contributes nothing.
  Relink([] { lib::UpdateProductLinksForUNSPSCCode(11, "", "99999999", false); });
  EXPECT_EQ(Links(), "12>5#9 ");
}

// A category whose rows are all unnumbered has a Null highest number,
// which counts as 0 on both sides.
TEST_F(Relinking, UnnumberedMembersCountAsZero) {
  Exec("INSERT INTO PRODUCTSBYCATEGORY VALUES (11, 1, NULL), (13, 6, NULL)");
  Relink([] { lib::UpdateProductLinksForUNSPSCCode(10, "", "43", true); });
  Relink([] { lib::UpdateProductCategoryLinksForUNSPSCCode(6, "44", "4322", false); });
  EXPECT_EQ(Links(), "10>1#1 11>1#null 12>6#1 ");
}

TEST_F(Relinking, ANewCategoryTakesItsProductsInTheOrderTheQueryAnswers) {
  Relink([] { lib::UpdateProductCategoryLinksForUNSPSCCode(7, "", "4321", true); });
  // The order is the product query's own, as the database answers it.
  const std::string order = Rows("SELECT PRODUCTID FROM PRODUCT WHERE UNSPSCCODE LIKE '4321%'");
  std::string expected;
  int sequence = 0;
  for (size_t start = 0, end; (end = order.find('\n', start)) != std::string::npos; start = end + 1)
    expected += order.substr(start, end - start) + ">7#" + std::to_string(++sequence) + " ";
  std::string links = Rows("SELECT PRODUCTID || '>' || CATEGORYID || '#' || SEQUENCE FROM PRODUCTSBYCATEGORY "
                           "ORDER BY SEQUENCE");
  for (char& c : links) c = c == '\n' ? ' ' : c;
  EXPECT_EQ(links, expected);
  EXPECT_EQ(sequence, 3);
}

// Products of the new code that also had the old one count as members
// already; the others join after the category's highest number.
TEST_F(Relinking, AChangedCategoryCodeKeepsCommonMembersAndNumbersAfterItsHighest) {
  // Category 1 "43" holds 10, 11, 12; category 5 "4322" holds 12 and,
  // linked by another hand, 10.
  Exec("INSERT INTO PRODUCTSBYCATEGORY VALUES (10, 1, 5), (11, 1, 1), (12, 1, 2), (12, 5, 9), (10, 5, 3)");
  Relink([] { lib::UpdateProductCategoryLinksForUNSPSCCode(1, "43", "4321", false); });
  // 12 (4322...) leaves 43; the others stay as they are.
  EXPECT_EQ(Links(), "10>1#5 10>5#3 11>1#1 12>5#9 ");
  Relink([] { lib::UpdateProductCategoryLinksForUNSPSCCode(5, "4322", "43211501", false); });
  // 12 leaves; 10 is in already; 14 joins after the highest number (9),
  // not after the number of members.
  EXPECT_EQ(Links(), "10>1#5 10>5#3 11>1#1 14>5#10 ");
  Relink([] { lib::UpdateProductCategoryLinksForUNSPSCCode(1, "4321", "", false); });
  EXPECT_EQ(Links(), "10>5#3 14>5#10 ");
}

TEST_F(Relinking, CodesAreLiteralsNotPatterns) {
  Exec("INSERT INTO PRODUCT (PRODUCTID, UNSPSCCODE) VALUES (20, '4_%'), (21, 'O''B')");
  Exec("INSERT INTO PRODUCTCATEGORY (CATEGORYID, UNSPSCCODE) VALUES (20, '4_'), (21, 'O''')");
  Relink([] {
    lib::UpdateProductCategoryLinksForUNSPSCCode(8, "", "4_", true);
    lib::UpdateProductLinksForUNSPSCCode(21, "", "O'B", true);
  });
  EXPECT_EQ(Links(), "20>8#1 21>21#1 ");
}

// Equal codes, both empty included, return before anything is read: a
// connection string that leads nowhere proves it.
TEST_F(Relinking, EqualCodesTouchNoDatabase) {
  BreakConnectionString();
  Run([&] {
    InTransaction([] {
      lib::UpdateProductLinksForUNSPSCCode(10, "43211501", "43211501", false);
      lib::UpdateProductLinksForUNSPSCCode(10, "", "", true);
      lib::UpdateProductCategoryLinksForUNSPSCCode(1, "43", "43", false);
    });
    EXPECT_EQ(Failure([] { InTransaction([] { lib::UpdateProductLinksForUNSPSCCode(10, "43", "4321", false); }); }),
              "80004005 SQLite: |ERROR 0x80004005| METHOD: Quarvel.UNSPSCLib.UpdateProductLinksForUNSPSCCode|"
              " DESC: |ERROR 0x80004005|"
              " METHOD: Quarvel.UNSPSCLib.GetProductCategoriesForUNSPSCCode| DESC: Cannot open the database "
              "'/nowhere/catalog.db': unable to open database file.|.|");
  });
}

// A failing insert after the delete votes abort: the caller's transaction
// undoes the delete too. The failure passes each procedure's handler.
TEST_F(Relinking, AFailureVotesAbortAndTheTransactionUndoesTheLinks) {
  Exec("INSERT INTO PRODUCTSBYCATEGORY VALUES (11, 1, 1), (11, 2, 1);"
       "CREATE TRIGGER refuse_link BEFORE INSERT ON PRODUCTSBYCATEGORY WHEN NEW.CATEGORYID = 5 "
       "BEGIN SELECT RAISE(ABORT, 'injected'); END;");
  std::string failure;
  Run([&] {
    failure = Failure([] { InTransaction([] { lib::UpdateProductLinksForUNSPSCCode(11, "4321", "4322", false); }); });
  });
  EXPECT_EQ(failure,
            "80040E2F SQLite: |ERROR 0x80040E2F| METHOD: Quarvel.UNSPSCLib.UpdateProductLinksForUNSPSCCode|"
            " DESC: injected.|");
  EXPECT_EQ(Links(), "11>1#1 11>2#1 ");
  EXPECT_EQ(LogEntriesWith("UNSPSCLib"), 1);
}

TEST_F(Relinking, TheHighestNumberCannotGrowPastThirtyTwoBits) {
  Exec("INSERT INTO PRODUCTSBYCATEGORY VALUES (11, 1, 2147483647)");
  std::string product, category;
  Run([&] {
    product = Failure([] { InTransaction([] { lib::UpdateProductLinksForUNSPSCCode(10, "", "43", true); }); });
    category = Failure([] { InTransaction([] { lib::UpdateProductCategoryLinksForUNSPSCCode(1, "", "4321", false); }); });
  });
  EXPECT_EQ(product, "6 Quarvel: |ERROR 0x6| METHOD: Quarvel.UNSPSCLib.UpdateProductLinksForUNSPSCCode| DESC: Overflow.|");
  EXPECT_EQ(category,
            "6 Quarvel: |ERROR 0x6| METHOD: Quarvel.UNSPSCLib.UpdateProductCategoryLinksForUNSPSCCode| DESC: Overflow.|");
  EXPECT_EQ(Links(), "11>1#2147483647 ");
}

// Each set in the order of its query's rows, as the same query answers on
// a plain handle (its first column).
TEST_F(Relinking, TheLookupsAnswerSetsInTheOrderOfTheirRows) {
  Exec("INSERT INTO PRODUCTSBYCATEGORY VALUES (10, 3, 4), (11, 3, NULL), (10, 1, 2), (12, 1, 6)");
  auto set = [&](const std::string& sql) {
    std::string rows = Rows(sql), text;
    for (size_t start = 0, end; (end = rows.find('\n', start)) != std::string::npos; start = end + 1)
      text += (text.empty() ? "" : "; ") + rows.substr(start, rows.find_first_of("|\n", start) - start) + "=Empty:";
    return text;
  };
  const std::string byPrefix = set("SELECT CATEGORYID FROM PRODUCTCATEGORY WHERE UNSPSCCODE IN ('43','4321','432115','4321150')");
  const std::string byProduct = set("SELECT CATEGORYID FROM PRODUCTSBYCATEGORY WHERE PRODUCTID=10");
  const std::string byCode = set("SELECT PRODUCTID FROM PRODUCT WHERE UNSPSCCODE LIKE '432115%'");
  const std::string byCategory = set("SELECT PRODUCTID, SEQUENCE FROM PRODUCTSBYCATEGORY WHERE CATEGORYID=3");
  Run([&] {
    InTransaction([&] {
      EXPECT_EQ(Render(lib::GetProductCategoriesForUNSPSCCode("4321150")), byPrefix);
      EXPECT_EQ(Render(lib::GetProductCategoriesForProduct(10)), byProduct);
      auto categories = lib::GetProductCategoriesForUNSPSCCode("43211501");
      lib::GetMaxSequenceNrsForProductCategories(*categories);
      EXPECT_EQ(Render(categories), "1=Long:6; 2=Empty:; 3=Long:4; 4=Empty:");
      std::shared_ptr<rt::Dictionary> products = rt::NewDictionary();
      int32_t highest = -1;
      lib::GetProductsForProductCategory(3, products, highest);
      EXPECT_EQ(Render(products), byCategory);
      EXPECT_EQ(highest, 4);
      EXPECT_EQ(Render(lib::GetProductsForUNSPSCCode("432115")), byCode);
    });
  });
}

TEST_F(Relinking, TheSwitchIsYesForTheWritersAndYesInAnyCaseForTheImport) {
  std::string answers;
  for (const char* value : {"Yes", "yes", "YES", "No", ""}) {
    SetSwitch(value);
    Run([&] {
      InTransaction([&] {
        answers += std::string(value) + ":" + (lib::UNSPSCImplemented() ? "on" : "off") + "/" +
                   (lib::UNSPSCImplementedForImport() ? "on" : "off") + " ";
      });
    });
  }
  EXPECT_EQ(answers, "Yes:on/on yes:off/on YES:off/on No:off/off :off/off ");
}

}  // namespace
