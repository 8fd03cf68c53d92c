// storeUNSPSCCode: which codes are valid, where a code goes in the tree,
// the statuses under the overwrite and commodity flags, and failed
// statements that become statuses without leaving half a code behind.
#include "quarvel/reference/unspsc_store.h"

#include <gtest/gtest.h>

#include "quarvel/services/catalog_connection.h"
#include "tests/quarvel/unspsc_fixture.h"

namespace {

using unspsctest::UNSPSCTest;

class StoreCode : public UNSPSCTest {
 protected:
  std::shared_ptr<data::Connection> Open() const {
    auto cn = data::Connection::New();
    cn->Open(sandbox_.ConnectionString());
    return cn;
  }
  // "code=status" for each code stored in turn, joined by " ".
  std::string Store(std::initializer_list<const char*> codes, bool overwrite, bool commodity,
                    const char* description = "new") const {
    auto cn = Open();
    std::string text;
    for (const char* code : codes)
      text += (text.empty() ? "" : " ") + std::string(code) + "=" +
              std::to_string(quarvel::storeUNSPSCCode(*cn, code, description, overwrite, commodity));
    return text;
  }
};

TEST_F(StoreCode, TheLastNonZeroPairIsTheCodesOwnAndTrailingZeroPairsPadIt) {
  Exec("INSERT INTO UNSPSCCODES VALUES ('', '43', 1, 'segment');"
       "INSERT INTO UNSPSCCODES VALUES ('43', '21', 2, 'family');"
       "INSERT INTO UNSPSCCODES VALUES ('4321', '15', 3, 'class');");
  EXPECT_EQ(Store({"44000000", "43211500", "43211501", "4321150101", "43000000"}, false, true),
            "44000000=0 43211500=2 43211501=0 4321150101=0 43000000=2");
  EXPECT_EQ(Codes(),
            "|43|1|segment\n|44|1|new\n43|21|2|family\n4321|15|3|class\n432115|01|4|new\n43211501|01|5|new\n");
  // The commodity carries the code as given, padding included.
  EXPECT_EQ(Commodities(), "43211501|new\n4321150101|new\n44000000|new\n");
}

// Only 8 or 10 digits make a code: signs, points and blanks would be cut
// into meaningless pairs, and a code of zero pairs names no node.
TEST_F(StoreCode, InvalidCodesStoreNothing) {
  Exec("INSERT INTO UNSPSCCODES VALUES ('', '43', 1, 'segment');");
  EXPECT_EQ(Store({"4321150", "432115001", "43001500", "00000000", "0000000000", "+4321150", " 4321150",
                   "4321150 ", "43.21150", "4321e150", "\xEF\xBC\x94\xEF\xBC\x93\xEF\xBC\x92\xEF\xBC\x91\xEF\xBC\x91"
                   "\xEF\xBC\x95\xEF\xBC\x90\xEF\xBC\x91", ""},
                  true, true),
            "4321150=1 432115001=1 43001500=1 00000000=1 0000000000=1 +4321150=1  4321150=1 4321150 =1 43.21150=1 "
            "4321e150=1 \xEF\xBC\x94\xEF\xBC\x93\xEF\xBC\x92\xEF\xBC\x91\xEF\xBC\x91\xEF\xBC\x95\xEF\xBC\x90\xEF\xBC"
            "\x91=1 =1");
  EXPECT_EQ(Codes(), "|43|1|segment\n");
  EXPECT_EQ(Commodities(), "");
}

// The same five codes under each pair of flags, from the same start: a new
// code, a code that exists, a new code whose commodity exists, a code whose
// parent is missing, an invalid code.
TEST_F(StoreCode, StatusesUnderBothFlags) {
  const char* start =
      "DELETE FROM UNSPSCCODES; DELETE FROM COMMODITY;"
      "INSERT INTO UNSPSCCODES VALUES ('', '43', 1, 'segment');"
      "INSERT INTO UNSPSCCODES VALUES ('43', '21', 2, 'family');"
      "INSERT INTO UNSPSCCODES VALUES ('4321', '15', 3, 'class');"
      "INSERT INTO UNSPSCCODES VALUES ('432115', '01', 4, 'old');"
      "INSERT INTO COMMODITY (COMMODITYCODE, DESCRIPTION) VALUES ('43211502', 'old commodity');";
  std::string text;
  for (bool overwrite : {false, true}) {
    for (bool commodity : {false, true}) {
      Exec(start);
      text += std::string(overwrite ? "overwrite" : "keep") + (commodity ? "+commodity" : "") + ": " +
              Store({"43211503", "43211501", "43211502", "43221501", "43001500"}, overwrite, commodity) + "\n";
      text += Rows("SELECT PARENTCODE || UNSPSCCODE || ' ' || DESCRIPTION FROM UNSPSCCODES WHERE LEVELNUMBER = 4 "
                   "ORDER BY 1");
      text += Rows("SELECT 'commodity ' || COMMODITYCODE || ' ' || DESCRIPTION FROM COMMODITY ORDER BY 1");
    }
  }
  EXPECT_EQ(text,
            "keep: 43211503=0 43211501=2 43211502=0 43221501=4 43001500=1\n"
            "43211501 old\n43211502 new\n43211503 new\n"
            "commodity 43211502 old commodity\n"
            "keep+commodity: 43211503=0 43211501=2 43211502=3 43221501=4 43001500=1\n"
            "43211501 old\n43211502 new\n43211503 new\n"
            "commodity 43211502 old commodity\ncommodity 43211503 new\n"
            "overwrite: 43211503=0 43211501=0 43211502=0 43221501=4 43001500=1\n"
            "43211501 new\n43211502 new\n43211503 new\n"
            "commodity 43211502 old commodity\n"
            "overwrite+commodity: 43211503=0 43211501=0 43211502=0 43221501=4 43001500=1\n"
            "43211501 new\n43211502 new\n43211503 new\n"
            "commodity 43211501 new\ncommodity 43211502 new\ncommodity 43211503 new\n");
}

TEST_F(StoreCode, DescriptionsAndCodesAreQuotedLiterals) {
  EXPECT_EQ(Store({"43000000"}, false, true, "O'Brien's N'text -- '); DROP TABLE COMMODITY; --"), "43000000=0");
  EXPECT_EQ(Codes(), "|43|1|O'Brien's N'text -- '); DROP TABLE COMMODITY; --\n");
  EXPECT_EQ(Commodities(), "43000000|O'Brien's N'text -- '); DROP TABLE COMMODITY; --\n");
}

// A failed statement counts no rows, never the count of the statement
// before it: a refused commodity after a stored code is status 3, a refused
// code row status 2 and no commodity. A failure that keeps what its
// statement wrote so far (RAISE(FAIL)) is undone by the statement's
// savepoint inside a transaction.
TEST_F(StoreCode, FailedStatementsBecomeStatusesAndLeaveNothingHalfWritten) {
  Exec("INSERT INTO UNSPSCCODES VALUES ('', '43', 1, 'segment');"
       "CREATE TRIGGER refuse_commodity AFTER INSERT ON COMMODITY WHEN NEW.COMMODITYCODE = '44000000' "
       "BEGIN SELECT RAISE(FAIL, 'injected'); END;"
       "CREATE TRIGGER refuse_code BEFORE INSERT ON UNSPSCCODES WHEN NEW.UNSPSCCODE = '45' "
       "BEGIN SELECT RAISE(ABORT, 'injected'); END;"
       "CREATE TRIGGER refuse_update BEFORE UPDATE ON UNSPSCCODES WHEN NEW.UNSPSCCODE = '43' "
       "BEGIN SELECT RAISE(ABORT, 'injected'); END;");
  Run([&] {
    unspsctest::UNSPSCTest::InTransaction([&] {
      auto cn = quarvel::getConnection();
      std::string text;
      for (const char* code : {"44000000", "45000000", "43000000"})
        text += std::string(code) + "=" + std::to_string(quarvel::storeUNSPSCCode(*cn, code, "new", true, true)) + " ";
      EXPECT_EQ(text, "44000000=3 45000000=2 43000000=2 ");
    });
  });
  EXPECT_EQ(Codes(), "|43|1|segment\n|44|1|new\n");
  EXPECT_EQ(Commodities(), "");
}

}  // namespace
