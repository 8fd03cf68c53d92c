// The code-list upload end to end through the spreadsheet stand-in: one
// list as an .xls, an .xlsx and an XML document gives the same result and
// the same rows; workbooks that cannot be opened are "Unable to load XLS".
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/platform/spreadsheet_fixture.h"
#include "tests/quarvel/unspsc_fixture.h"

namespace {

using sheettest::Entry;
using unspsctest::UNSPSCTest;

// The list: a header, codes as numbers and as texts (a 10-digit one among
// them), an invalid code, a repeated code, an orphan, a row without a code.
struct Row {
  rt::Variant code;
  const char* description;
};
const std::vector<Row> kList = {
    {rt::Variant(43000000.0), "IT"},
    {rt::Variant("43210000"), "Computer Equipment"},
    {rt::Variant(43211500.0), "Computers"},
    {rt::Variant(43211501.0), "Servers of O'Brien"},
    {rt::Variant(4321150101.0), "Blade servers"},
    {rt::Variant("4321150"), "short"},
    {rt::Variant(43211501.0), "Servers again"},
    {rt::Variant(55101500.0), "orphan"},
    {rt::Variant(""), "no code"},
    {rt::Variant("43001500"), "gap"},
};

class UploadWorkbook : public UNSPSCTest {
 protected:
  // The list's cells with its header at `top`, `left`.
  static std::vector<Entry> Cells(int top, int left) {
    std::vector<Entry> cells = {{top, left, rt::Variant("Code")}, {top, left + 1, rt::Variant("Description")}};
    int row = top;
    for (const Row& r : kList) {
      ++row;
      if (!(r.code.IsString() && r.code.Get<std::string>()->empty())) cells.push_back({row, left, r.code});
      cells.push_back({row, left + 1, rt::Variant(r.description)});
    }
    return cells;
  }
  static std::string Xml() {
    std::string xml = "<?xml version=\"1.0\"?>\n<UNSPSC_LIST>\n";
    for (const Row& r : kList) {
      std::string code = rt::CStr(r.code);
      xml += "<UNSPSC_ITEM><UNSPSC_CODE>" + code + "</UNSPSC_CODE><UNSPSC_DESCRIPTION>" + r.description +
             "</UNSPSC_DESCRIPTION></UNSPSC_ITEM>\n";
    }
    return xml + "</UNSPSC_LIST>\n";
  }

  // The result of loading the file into an empty tree, and the rows it left.
  std::string Load(const std::string& file, bool workbook) {
    Exec("DELETE FROM UNSPSCCODES; DELETE FROM COMMODITY;");
    std::string result;
    Run([&] {
      auto upload = NewTUNSPSC();
      result = Render(workbook ? upload->UploadFromXLS(DownloadPath(file), false, true)
                               : upload->UploadFromXML(DownloadPath(file), false, true));
    });
    return result + "\n" + Codes() + Commodities();
  }
  std::string Refused(const std::string& path) {
    std::string failure;
    Run([&] { failure = Failure([&] { NewTUNSPSC()->UploadFromXLS(path, false, true); }); });
    return failure;
  }
};

TEST_F(UploadWorkbook, OneListAsXlsXlsxAndXmlGivesTheSameResultAndRows) {
  sheettest::WriteXls(DownloadPath("codes.xls"), Cells(1, 1));
  sheettest::WriteXlsx(DownloadPath("codes.xlsx"), Cells(3, 2));
  WriteDownload("codes.xml", Xml());
  const std::string expected =
      "4321150=Integer:1; 43211501=Integer:2; 55101500=Integer:4; 43001500=Integer:1\n"
      "|43|1|IT\n43|21|2|Computer Equipment\n4321|15|3|Computers\n432115|01|4|Servers of O'Brien\n"
      "43211501|01|5|Blade servers\n"
      "43000000|IT\n43210000|Computer Equipment\n43211500|Computers\n43211501|Servers of O'Brien\n"
      "4321150101|Blade servers\n";
  EXPECT_EQ(Load("codes.xml", false), expected);
  EXPECT_EQ(Load("codes.xls", true), expected);
  EXPECT_EQ(Load("codes.xlsx", true), expected);
}

// Whatever keeps the workbook from opening, nothing is stored or logged.
TEST_F(UploadWorkbook, WorkbooksThatCannotBeOpenedAreUnableToLoad) {
  WriteDownload("codes.xlsx", "Code;Description\n43211501;Laptops\n");
  sheettest::WritePackage(
      DownloadPath("doctype.xlsx"),
      sheettest::OneSheetPackage(R"(<?xml version="1.0"?><!DOCTYPE worksheet [<!ENTITY x SYSTEM "file:///etc/passwd">]>)"
                                 R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
                                 R"(<sheetData><row r="2"><c r="A2" t="inlineStr"><is><t>&x;</t></is></c></row>)"
                                 R"(</sheetData></worksheet>)"));
  sheettest::WriteXlsx(sandbox_.Site() + "/outside.xlsx", Cells(1, 1));
  const std::string unable = "800400D5 Quarvel.UNSPSC.UploadFromXLS: Unable to load XLS";
  EXPECT_EQ(Refused(DownloadPath("codes.xlsx")), unable);
  EXPECT_EQ(Refused(DownloadPath("doctype.xlsx")), unable);
  EXPECT_EQ(Refused(DownloadPath("missing.xls")), unable);
  EXPECT_EQ(Refused(sandbox_.Site() + "/outside.xlsx"), unable);
  EXPECT_EQ(Refused(DownloadPath("../outside.xlsx")), unable);
  EXPECT_EQ(Codes(), "");
  EXPECT_EQ(LogEntriesWith("UploadFromXLS"), 0);
}

// An empty sheet finds nothing: 91 through the handler.
TEST_F(UploadWorkbook, AnEmptySheetFailsThroughTheHandler) {
  sheettest::WriteXlsx(DownloadPath("empty.xlsx"), {});
  EXPECT_EQ(Refused(DownloadPath("empty.xlsx")),
            "5B Quarvel: |ERROR 0x5B| METHOD: Quarvel.UNSPSC.UploadFromXLS|"
            " DESC: Object variable or With block variable not set.|");
}

}  // namespace
