// The code-list uploads: the result of a list, one list as .xls, .xlsx and
// XML alike, the used block of a sheet wherever it starts, and the failures
// raised straight (no block, no log, nothing stored) or by the handler.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/common/recording_fake.h"
#include "tests/platform/spreadsheet_fixture.h"
#include "tests/quarvel/unspsc_fixture.h"

namespace {

using sheettest::Entry;

std::string Item(const std::string& code, const std::string& description) {
  return "<UNSPSC_ITEM><UNSPSC_CODE>" + code + "</UNSPSC_CODE><UNSPSC_DESCRIPTION>" + description +
         "</UNSPSC_DESCRIPTION></UNSPSC_ITEM>\n";
}
std::string CodeList(const std::string& items) { return "<?xml version=\"1.0\"?>\n<UNSPSC_LIST>" + items + "</UNSPSC_LIST>\n"; }

class Upload : public unspsctest::UNSPSCTest {
 protected:
  // The result of uploading a file of the download folder (XML by its
  // ending), or the failure, one a line.
  std::string Load(const std::string& file, bool overwrite = false) { return Uploaded(DownloadPath(file), overwrite); }
  std::string Uploaded(const std::string& path, bool overwrite = false) {
    std::string text;
    Run([&] {
      auto t = NewTUNSPSC();
      try {
        text = Render(path.ends_with(".xml") ? t->UploadFromXML(path, overwrite, true) : t->UploadFromXLS(path, overwrite, true));
      } catch (const rt::ComError& e) {
        text = Failure([&] { throw e; });
      }
    });
    return text + "\n";
  }
};

// The result keeps, under each code as read, the first status that was not
// 0 (43221501: 4 before its parent came, then 0, then 2), as an Integer.
TEST_F(Upload, TheResultHoldsTheFirstNonZeroStatusOfEachCode) {
  WriteDownload("codes.xml", CodeList(Item("43000000", "IT") + Item(" 43220000 ", "Telecom") + Item("4322150", "short") +
                                  Item("", "no code") + Item("43221501", "early") + Item("43221500", "Networks") +
                                  Item("43221501", "Hubs") + Item("43221501", "Hubs again") + Item("4322150", "again")));
  // Again with overwrite: every valid code stored, the last description kept.
  Golden seen;
  seen.Add("result", Load("codes.xml")).Add("stored", Stored());
  seen.Add("result with overwrite", Load("codes.xml", true));
  seen.Add("descriptions under 432215", Rows("SELECT DESCRIPTION FROM UNSPSCCODES WHERE PARENTCODE = '432215'"));
  EXPECT_EQ(seen.Lines(),
            "result: 4322150=Integer:1; 43221501=Integer:4\n"
            "stored:\n|43|1|IT\n43|22|2|Telecom\n4322|15|3|Networks\n432215|01|4|Hubs\n"
            "commodity 43000000|IT\ncommodity 43220000|Telecom\ncommodity 43221500|Networks\ncommodity 43221501|Hubs\n"
            "result with overwrite: 4322150=Integer:1\ndescriptions under 432215: Hubs again\n");
}

TEST_F(Upload, OneListAsXlsXlsxAndXmlGivesTheSameResultAndRows) {
  const std::vector<std::pair<rt::Variant, const char*>> list = {
      {43000000.0, "IT"}, {"43210000", "Computer Equipment"}, {43211500.0, "Computers"}, {43211501.0, "O'Brien servers"},
      {4321150101.0, "Blades"}, {"4321150", "short"}, {43211501.0, "again"}, {55101500.0, "orphan"}, {"", "no code"}};
  std::vector<Entry> at1, at3;  // header in A1, header in B3
  std::string xml;
  for (auto [cells, top, left] : {std::tuple{&at1, 1, 1}, std::tuple{&at3, 3, 2}}) {
    cells->push_back({top, left, "Code"});
    int row = top;
    for (const auto& [code, description] : list) {
      if (rt::CStr(code) != "") cells->push_back({++row, left, code});
      else ++row;
      cells->push_back({row, left + 1, description});
    }
  }
  for (const auto& [code, description] : list) xml += Item(rt::CStr(code), description);
  sheettest::WriteXls(DownloadPath("codes.xls"), at1);
  sheettest::WriteXlsx(DownloadPath("codes.xlsx"), at3);
  WriteDownload("codes.xml", CodeList(xml));
  std::string expected;
  for (const char* file : {"codes.xml", "codes.xls", "codes.xlsx"}) {
    Exec("DELETE FROM UNSPSCCODES; DELETE FROM COMMODITY;");
    const std::string loaded = Golden().Add("result", Load(file)).Add("stored", Stored()).Lines();
    if (expected.empty()) expected = loaded;
    EXPECT_EQ(loaded, expected) << file;
  }
  EXPECT_EQ(expected,
            "result: 4321150=Integer:1; 43211501=Integer:2; 55101500=Integer:4\n"
            "stored:\n|43|1|IT\n43|21|2|Computer Equipment\n4321|15|3|Computers\n432115|01|4|O'Brien servers\n"
            "43211501|01|5|Blades\ncommodity 43000000|IT\ncommodity 43210000|Computer Equipment\n"
            "commodity 43211500|Computers\ncommodity 43211501|O'Brien servers\ncommodity 4321150101|Blades\n");
}

// The block starts at C5: row 5 is its header, codes come from C, texts
// from D. Blanks around a cell's code make it invalid under its own text.
TEST_F(Upload, TheUsedBlockOfTheFirstSheetIsFoundWhereverItStarts) {
  sheettest::WriteXlsx(DownloadPath("block.xlsx"), {{5, 3, "Code"}, {6, 3, 44000000.0}, {6, 4, "Office"},
                                                    {7, 4, "no code"}, {8, 3, " 43000000 "}, {8, 4, "IT"}, {9, 5, "note"}});
  EXPECT_EQ(Golden().Add("result", Load("block.xlsx")).Add("stored", Stored()).Lines(),
            "result:  43000000 =Integer:1\nstored:\n|44|1|Office\ncommodity 44000000|Office\n");
}

TEST_F(Upload, ListsThatCannotBeReadAreRefusedStraight) {
  WriteDownload("broken.xml", "<UNSPSC_LIST><UNSPSC_ITEM>");
  WriteDownload("invalid.xml", CodeList(Item("43000000", "IT") + "<UNSPSC_ITEM><UNSPSC_CODE>1</UNSPSC_CODE></UNSPSC_ITEM>"));
  WriteDownload("text.xlsx", "Code;Description\n43211501;Laptops\n");
  sheettest::WritePackage(DownloadPath("doctype.xlsx"),
                          sheettest::OneSheetPackage(R"(<?xml version="1.0"?><!DOCTYPE worksheet [<!ENTITY x "1">]>)"
                                                     R"(<worksheet><sheetData/></worksheet>)"));
  sheettest::WriteXlsx(sandbox_.Site() + "/outside.xlsx", {{1, 1, "Code"}, {2, 1, 43000000.0}});
  const std::string xml = "800400D5 Quarvel.UNSPSC.UploadFromXML: ", xls = "800400D5 Quarvel.UNSPSC.UploadFromXLS: ";
  Golden text;
  for (const char* file :
       {"broken.xml", "missing.xml", "invalid.xml", "text.xlsx", "doctype.xlsx", "missing.xls", "../outside.xlsx"})
    text.Add(file, Load(file));
  text.Add("outside the folder", Uploaded(sandbox_.Site() + "/outside.xlsx"));
  {
    FakeClass none("Excel.Application", []() -> rt::ObjectPtr { rt::Raise(rt::hr::kInvalidClassString, "", "Invalid class string"); });
    text.Add("no spreadsheet class", Load("outside.xlsx"));
  }
  std::filesystem::remove(sandbox_.Site() + "/xmlschemas/UNSPSC_Schema.xml");
  text.Add("no schema", Load("invalid.xml"));
  EXPECT_EQ(text.Lines(),
            "broken.xml: " + xml + "Unable to load XML\nmissing.xml: " + xml + "Unable to load XML\ninvalid.xml: " +
                xml + "Element 'UNSPSC_ITEM': Missing child element(s). Expected is ( UNSPSC_DESCRIPTION ).\n" +
                "text.xlsx: " + xls + "Unable to load XLS\ndoctype.xlsx: " + xls + "Unable to load XLS\n" +
                "missing.xls: " + xls + "Unable to load XLS\n../outside.xlsx: " + xls + "Unable to load XLS\n" +
                "outside the folder: " + xls + "Unable to load XLS\n" +
                "no spreadsheet class: " + xls + "MS Excel should be installed to upload from XLS\n" +
                "no schema: " + xml + "Schema not found\n");
  EXPECT_EQ(Stored(), "");
  EXPECT_EQ(LogEntriesWith("Quarvel.UNSPSC.Upload"), 0);
}

// An empty sheet finds Nothing (91); a used cell past row 32767 overflows
// the 16-bit row number (6) before anything is stored; a catalog that
// cannot be opened fails the XML upload. Each is logged with one block.
TEST_F(Upload, OtherFailuresPassTheHandler) {
  sheettest::WriteXlsx(DownloadPath("empty.xlsx"), {});
  sheettest::WriteXlsx(DownloadPath("deep.xlsx"), {{1, 1, "Code"}, {2, 1, 44000000.0}, {40000, 1, 43000000.0}});
  WriteDownload("codes.xml", CodeList(Item("43000000", "IT")));
  Golden text;
  text.Add("empty.xlsx", Load("empty.xlsx")).Add("deep.xlsx", Load("deep.xlsx")).Add("stored", Stored());
  BreakConnectionString();
  text.Add("no database", Load("codes.xml"));
  EXPECT_EQ(text.Lines(),
            "empty.xlsx: 5B Quarvel: |ERROR 0x5B| METHOD: Quarvel.UNSPSC.UploadFromXLS| DESC: Object variable or With "
            "block variable not set.|\ndeep.xlsx: 6 Quarvel: |ERROR 0x6| METHOD: Quarvel.UNSPSC.UploadFromXLS| DESC: "
            "Overflow.|\nstored: \nno database: " + NoDatabase("Quarvel.UNSPSC.UploadFromXML") + "\n");
  EXPECT_EQ(LogEntriesWith("Quarvel.UNSPSC.Upload"), 3);
}

}  // namespace
