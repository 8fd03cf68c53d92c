// UNSPSCLib: the product-category links that follow UNSPSC codes, from
// either side, the numbering of new members, equal codes that touch
// nothing, failures that abort, and the configuration switch.
#include "quarvel/reference/unspsc_lib.h"

#include <gtest/gtest.h>

#include "tests/quarvel/unspsc_fixture.h"

namespace {

namespace lib = quarvel::UNSPSCLib;

// Categories 1 "43", 2 "4321", 3 "432115", 4 "43211501", 5 "4322", 6 "44";
// products 10 "43211501", 11 "4321", 12 "43221501", 13 "44121704", 14 "4321150101".
class Relinking : public unspsctest::UNSPSCTest {
 protected:
  Relinking() {
    Exec("INSERT INTO PRODUCTCATEGORY (CATEGORYID, UNSPSCCODE) VALUES (1, '43'), (2, '4321'), (3, '432115'),"
         " (4, '43211501'), (5, '4322'), (6, '44');"
         "INSERT INTO PRODUCT (PRODUCTID, UNSPSCCODE) VALUES (10, '43211501'), (11, '4321'), (12, '43221501'),"
         " (13, '44121704'), (14, '4321150101');");
  }
  std::string Links() const {
    std::string text = Rows("SELECT PRODUCTID || '>' || CATEGORYID || '#' || IFNULL(SEQUENCE, 'null') "
                            "FROM PRODUCTSBYCATEGORY ORDER BY PRODUCTID, CATEGORYID");
    for (char& c : text) c = c == '\n' ? ' ' : c;
    return text;
  }
  // The links after a relinking in a transaction of its own.
  std::string Relink(std::function<void()> call) const {
    Run([&] { InTransaction(call); });
    return Links();
  }
};

TEST_F(Relinking, AProductJoinsTheCategoriesOfItsCodeAfterEachOnesHighestNumber) {
  // 43 is numbered up to 7; 4322 holds 11 already (by another hand); all of
  // 44's members are unnumbered.
  Exec("INSERT INTO PRODUCTSBYCATEGORY VALUES (11, 1, 7), (12, 1, 3), (11, 2, 2), (11, 5, 4), (13, 6, NULL)");
  // Then 4321 -> 4322: 43 untouched, 4321 left, 4322 not joined twice.
  // Unnumbered members count as 0; an emptied code leaves every category of the old one.
  Golden links;
  links.Add("10 new to 43211501", Relink([] { lib::UpdateProductLinksForUNSPSCCode(10, "", "43211501", true); }));
  links.Add("11 4321 to 4322", Relink([] { lib::UpdateProductLinksForUNSPSCCode(11, "4321", "4322", false); }));
  links.Add("11 4322 to 44", Relink([] { lib::UpdateProductLinksForUNSPSCCode(11, "4322", "44", false); }));
  links.Add("10 43211501 to ''", Relink([] { lib::UpdateProductLinksForUNSPSCCode(10, "43211501", "", false); }));
  EXPECT_EQ(links.Lines(),
            "10 new to 43211501: 10>1#8 10>2#3 10>3#1 10>4#1 11>1#7 11>2#2 11>5#4 12>1#3 13>6#null \n"
            "11 4321 to 4322: 10>1#8 10>2#3 10>3#1 10>4#1 11>1#7 11>5#4 12>1#3 13>6#null \n"
            "11 4322 to 44: 10>1#8 10>2#3 10>3#1 10>4#1 11>6#1 12>1#3 13>6#null \n"
            "10 43211501 to '': 11>6#1 12>1#3 13>6#null \n");
}

// A new category takes its products numbered 1, 2, ... in the order the
// product query answers them (taken from the same query here).
TEST_F(Relinking, ACategoryTakesTheProductsOfItsCodeAfterItsHighestNumber) {
  Relink([] { lib::UpdateProductCategoryLinksForUNSPSCCode(7, "", "4321", true); });
  const std::string order = Rows("SELECT PRODUCTID FROM PRODUCT WHERE UNSPSCCODE LIKE '4321%'");
  std::string expected;
  int sequence = 0;
  for (size_t at = 0, end; (end = order.find('\n', at)) != std::string::npos; at = end + 1)
    expected += order.substr(at, end - at) + ">7#" + std::to_string(++sequence) + "\n";
  EXPECT_EQ(Rows("SELECT PRODUCTID || '>' || CATEGORYID || '#' || SEQUENCE FROM PRODUCTSBYCATEGORY ORDER BY SEQUENCE"),
            expected);
  EXPECT_EQ(sequence, 3);
  // Category 5 moves from 4322 to 43211501: 12 leaves, 10 (linked by another
  // hand) stays, 14 joins after the highest number 9, not the member count.
  Exec("DELETE FROM PRODUCTSBYCATEGORY; INSERT INTO PRODUCTSBYCATEGORY VALUES (12, 5, 9), (10, 5, 3), (13, 6, NULL)");
  // Then 44 -> 4322, whose members are all unnumbered: 13 leaves, 12 joins as 1.
  Golden links;
  links.Add("5 4322 to 43211501",
            Relink([] { lib::UpdateProductCategoryLinksForUNSPSCCode(5, "4322", "43211501", false); }));
  links.Add("6 44 to 4322", Relink([] { lib::UpdateProductCategoryLinksForUNSPSCCode(6, "44", "4322", false); }));
  EXPECT_EQ(links.Lines(), "5 4322 to 43211501: 10>5#3 13>6#null 14>5#10 \n6 44 to 4322: 10>5#3 12>6#1 14>5#10 \n");
}

TEST_F(Relinking, CodesAreLiteralsNotPatterns) {
  Exec("INSERT INTO PRODUCT (PRODUCTID, UNSPSCCODE) VALUES (20, '4_%'), (21, 'O''B');"
       "INSERT INTO PRODUCTCATEGORY (CATEGORYID, UNSPSCCODE) VALUES (21, 'O''')");
  EXPECT_EQ(Relink([] {
              lib::UpdateProductCategoryLinksForUNSPSCCode(8, "", "4_", true);
              lib::UpdateProductLinksForUNSPSCCode(21, "", "O'B", true);
            }),
            "20>8#1 21>21#1 ");
}

// Equal codes (both empty too) return before anything is read: a
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
              "80004005 SQLite: |ERROR 0x80004005| METHOD: Quarvel.UNSPSCLib.UpdateProductLinksForUNSPSCCode| DESC: " +
                  NoDatabase("Quarvel.UNSPSCLib.GetProductCategoriesForUNSPSCCode").substr(17) + ".|");
  });
}

// A failing insert after the delete votes abort, and the caller's
// transaction undoes the delete too. A number past 32 bits overflows.
TEST_F(Relinking, FailuresVoteAbortAndTheTransactionUndoesTheLinks) {
  Exec("INSERT INTO PRODUCTSBYCATEGORY VALUES (11, 1, 2147483647), (11, 2, 1);"
       "CREATE TRIGGER refuse_link BEFORE INSERT ON PRODUCTSBYCATEGORY WHEN NEW.CATEGORYID = 5 "
       "BEGIN SELECT RAISE(ABORT, 'injected'); END;");
  Golden failures;
  Run([&] {
    for (const auto& [name, call] : std::vector<std::pair<const char*, std::function<void()>>>{
             {"11 to 4322, link refused", [] { lib::UpdateProductLinksForUNSPSCCode(11, "4321", "4322", false); }},
             {"10 to 43, after the highest number", [] { lib::UpdateProductLinksForUNSPSCCode(10, "", "43", true); }},
             {"category 1 to 4321, after the highest number",
              [] { lib::UpdateProductCategoryLinksForUNSPSCCode(1, "", "4321", false); }}})
      failures.Add(name, Failure([&] { InTransaction(call); }));
  });
  EXPECT_EQ(failures.Lines(),
            "11 to 4322, link refused: 80040E2F SQLite: |ERROR 0x80040E2F| METHOD: "
            "Quarvel.UNSPSCLib.UpdateProductLinksForUNSPSCCode| DESC: injected.|\n"
            "10 to 43, after the highest number: 6 Quarvel: |ERROR 0x6| METHOD: "
            "Quarvel.UNSPSCLib.UpdateProductLinksForUNSPSCCode| DESC: Overflow.|\n"
            "category 1 to 4321, after the highest number: 6 Quarvel: |ERROR 0x6| METHOD: "
            "Quarvel.UNSPSCLib.UpdateProductCategoryLinksForUNSPSCCode| DESC: Overflow.|\n");
  EXPECT_EQ(Links(), "11>1#2147483647 11>2#1 ");
}

TEST_F(Relinking, TheSwitchIsYesForTheWritersAndYesInAnyCaseForTheImport) {
  Golden answers;
  for (const char* value : {"Yes", "yes", "YES", "No", ""}) {
    Configure("UNSPSCIMPLEMENTED", value);
    Run([&] {
      InTransaction([&] {
        answers.Add("'" + std::string(value) + "'",
                    Golden().Add("writers", lib::UNSPSCImplemented()).Add("import", lib::UNSPSCImplementedForImport()));
      });
    });
  }
  EXPECT_EQ(answers.Lines(),
            "'Yes': writers=true import=true\n'yes': writers=false import=true\n'YES': writers=false import=true\n"
            "'No': writers=false import=false\n'': writers=false import=false\n");
}

}  // namespace
