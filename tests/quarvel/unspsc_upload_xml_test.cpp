// TUNSPSC.UploadFromXML: a code list validated against the installation's
// schema and stored code by code; the failures that go to the caller
// straight (unloadable document, invalid document, missing schema) and
// those that pass the handler and roll the list back.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/quarvel/unspsc_fixture.h"

namespace {

using unspsctest::UNSPSCTest;

std::string List(const std::string& items) { return "<?xml version=\"1.0\"?>\n<UNSPSC_LIST>" + items + "</UNSPSC_LIST>\n"; }
std::string Item(const std::string& code, const std::string& description) {
  return "<UNSPSC_ITEM><UNSPSC_CODE>" + code + "</UNSPSC_CODE><UNSPSC_DESCRIPTION>" + description +
         "</UNSPSC_DESCRIPTION></UNSPSC_ITEM>\n";
}

class UploadXml : public UNSPSCTest {
 protected:
  std::string Upload(const std::string& file, bool overwrite = false, bool commodity = true) {
    std::string result;
    Run([&] { result = Render(NewTUNSPSC()->UploadFromXML(DownloadPath(file), overwrite, commodity)); });
    return result;
  }
  std::string UploadFailure(const std::string& path) {
    std::string failure;
    Run([&] { failure = Failure([&] { NewTUNSPSC()->UploadFromXML(path, false, true); }); });
    return failure;
  }
};

// The result keeps, under each code as read, the first status that was not
// 0; items are Integers. The DOM trims the code's text.
TEST_F(UploadXml, TheResultHoldsTheFirstNonZeroStatusOfEachCode) {
  WriteDownload("codes.xml",
                List(Item("43000000", "IT") + Item(" 43210000 ", "Computer Equipment") + Item("4321150", "short") +
                     Item("43211500", "Computers") + Item("", "no code") + Item("43211501", "Servers") +
                     Item("43211501", "Servers again") + Item("4321150", "short again") + Item("43221501", "early") +
                     Item("43220000", "Telecom") + Item("43221500", "Networks") + Item("43221501", "Hubs") +
                     Item("43221501", "Hubs again") + Item("55101500", "orphan")));
  EXPECT_EQ(Upload("codes.xml"),
            "4321150=Integer:1; 43211501=Integer:2; 43221501=Integer:4; 55101500=Integer:4");
  EXPECT_EQ(Codes(),
            "|43|1|IT\n43|21|2|Computer Equipment\n43|22|2|Telecom\n4321|15|3|Computers\n432115|01|4|Servers\n"
            "4322|15|3|Networks\n432215|01|4|Hubs\n");
  EXPECT_EQ(Commodities(),
            "43000000|IT\n43210000|Computer Equipment\n43211500|Computers\n43211501|Servers\n43220000|Telecom\n"
            "43221500|Networks\n43221501|Hubs\n");
  // Loading the same list again with overwrite stores every valid code; an
  // empty list stores nothing and answers an empty result.
  EXPECT_EQ(Upload("codes.xml", true, true), "4321150=Integer:1; 55101500=Integer:4");
  EXPECT_EQ(Rows("SELECT DESCRIPTION FROM UNSPSCCODES WHERE PARENTCODE = '432115'"), "Servers again\n");
  WriteDownload("none.xml", List(""));
  EXPECT_EQ(Upload("none.xml"), "");
}

// Raised straight: no description block, no log entry, no vote.
TEST_F(UploadXml, DocumentsThatCannotBeUsedAreRefusedStraightAndStoreNothing) {
  WriteDownload("broken.xml", "<UNSPSC_LIST><UNSPSC_ITEM>");
  WriteDownload("invalid.xml", List(Item("43000000", "IT") + "<UNSPSC_ITEM><UNSPSC_CODE>44000000</UNSPSC_CODE>"
                                                              "</UNSPSC_ITEM>"));
  WriteDownload("doctype.xml", "<!DOCTYPE UNSPSC_LIST [<!ENTITY x \"43000000\">]>" + List(Item("&x;", "IT")));
  const std::string unable = "800400D5 Quarvel.UNSPSC.UploadFromXML: Unable to load XML";
  EXPECT_EQ(UploadFailure(DownloadPath("broken.xml")), unable);
  EXPECT_EQ(UploadFailure(DownloadPath("missing.xml")), unable);
  EXPECT_EQ(UploadFailure(DownloadPath("doctype.xml")), unable);
  EXPECT_EQ(UploadFailure(sandbox_.CatalogPath()), unable);
  EXPECT_EQ(UploadFailure(DownloadPath("invalid.xml")),
            "800400D5 Quarvel.UNSPSC.UploadFromXML: Element 'UNSPSC_ITEM': Missing child element(s). Expected is ( "
            "UNSPSC_DESCRIPTION ).");
  std::filesystem::remove(sandbox_.Site() + "/xmlschemas/UNSPSC_Schema.xml");
  WriteDownload("valid.xml", List(Item("43000000", "IT")));
  EXPECT_EQ(UploadFailure(DownloadPath("valid.xml")), "800400D5 Quarvel.UNSPSC.UploadFromXML: Schema not found");
  EXPECT_EQ(Codes(), "");
  EXPECT_EQ(LogEntriesWith("UploadFromXML"), 0);
}

// Any other failure passes the handler: one block, logged.
TEST_F(UploadXml, OtherFailuresPassTheHandler) {
  WriteDownload("codes.xml", List(Item("43000000", "IT")));
  BreakConnectionString();
  EXPECT_EQ(UploadFailure(DownloadPath("codes.xml")),
            "80004005 SQLite: |ERROR 0x80004005| METHOD: Quarvel.UNSPSC.UploadFromXML| DESC: Cannot open the "
            "database '/nowhere/catalog.db': unable to open database file.|");
  EXPECT_EQ(LogEntriesWith("UploadFromXML"), 1);
}

}  // namespace
