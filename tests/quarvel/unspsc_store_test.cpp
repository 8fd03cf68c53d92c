// storeUNSPSCCode: which codes are valid, where a code goes in the tree and
// the statuses under the overwrite and commodity flags.
#include "quarvel/reference/unspsc_store.h"

#include <gtest/gtest.h>

#include "tests/quarvel/unspsc_fixture.h"

namespace {

class StoreCode : public unspsctest::UNSPSCTest {
 protected:
  // "code=status" for each code stored in turn.
  std::string Store(std::vector<std::string> codes, bool overwrite, bool commodity) const {
    auto cn = data::Connection::New();
    cn->Open(sandbox_.ConnectionString());
    std::string text;
    for (const std::string& code : codes)
      text += code + "=" + std::to_string(quarvel::storeUNSPSCCode(*cn, code, "new 'one'", overwrite, commodity)) + " ";
    return text;
  }
};

// Trailing zero pairs only pad a code; the commodity keeps the code as
// given. Signs, points, blanks and zero pairs alone are invalid.
TEST_F(StoreCode, WhereCodesGoAndWhichAreInvalid) {
  Exec("INSERT INTO UNSPSCCODES VALUES ('', '43', 1, 'segment'), ('43', '21', 2, 'family'), ('4321', '15', 3, 'class')");
  EXPECT_EQ(Store({"44000000", "43211500", "43211501", "4321150101", "4321150", "43001500", "00000000", "+4321150",
                   "\xEF\xBC\x94\xEF\xBC\x93" "432115"},
                  false, true),
            "44000000=0 43211500=2 43211501=0 4321150101=0 4321150=1 43001500=1 00000000=1 +4321150=1 "
            "\xEF\xBC\x94\xEF\xBC\x93" "432115=1 ");
  EXPECT_EQ(Stored(),
            "|43|1|segment\n|44|1|new 'one'\n43|21|2|family\n4321|15|3|class\n432115|01|4|new 'one'\n"
            "43211501|01|5|new 'one'\n"
            "commodity 43211501|new 'one'\ncommodity 4321150101|new 'one'\ncommodity 44000000|new 'one'\n");
}

// Under each pair of flags, from the same start: a new code, one that
// exists, a new one whose commodity exists, one whose parent is missing.
TEST_F(StoreCode, StatusesUnderBothFlags) {
  Golden text;
  for (bool overwrite : {false, true}) {
    for (bool commodity : {false, true}) {
      Exec("DELETE FROM UNSPSCCODES; DELETE FROM COMMODITY;"
           "INSERT INTO UNSPSCCODES VALUES ('', '43', 1, 's'), ('43', '21', 2, 'f'), ('4321', '15', 3, 'c'),"
           " ('432115', '01', 4, 'old');"
           "INSERT INTO COMMODITY (COMMODITYCODE, DESCRIPTION) VALUES ('43211502', 'old');");
      const std::string flags = std::string(overwrite ? "overwrite" : "keep") + (commodity ? "+commodity" : "");
      text.Add(flags, Store({"43211503", "43211501", "43211502", "43221501"}, overwrite, commodity));
      text.Add(flags + " rows",
               Rows("SELECT PARENTCODE || UNSPSCCODE, DESCRIPTION FROM UNSPSCCODES WHERE LEVELNUMBER = 4 ORDER BY 1") +
                   Rows("SELECT 'commodity ' || COMMODITYCODE, DESCRIPTION FROM COMMODITY ORDER BY 1"));
    }
  }
  EXPECT_EQ(text.Lines(),
            "keep: 43211503=0 43211501=2 43211502=0 43221501=4 \n"
            "keep rows:\n43211501|old\n43211502|new 'one'\n43211503|new 'one'\ncommodity 43211502|old\n"
            "keep+commodity: 43211503=0 43211501=2 43211502=3 43221501=4 \n"
            "keep+commodity rows:\n43211501|old\n43211502|new 'one'\n43211503|new 'one'\ncommodity 43211502|old\n"
            "commodity 43211503|new 'one'\n"
            "overwrite: 43211503=0 43211501=0 43211502=0 43221501=4 \n"
            "overwrite rows:\n43211501|new 'one'\n43211502|new 'one'\n43211503|new 'one'\ncommodity 43211502|old\n"
            "overwrite+commodity: 43211503=0 43211501=0 43211502=0 43221501=4 \n"
            "overwrite+commodity rows:\n43211501|new 'one'\n43211502|new 'one'\n43211503|new 'one'\n"
            "commodity 43211501|new 'one'\ncommodity 43211502|new 'one'\ncommodity 43211503|new 'one'\n");
}

}  // namespace
