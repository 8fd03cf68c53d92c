// Tests of "Excel.Application" against workbooks that must not open: zip
// bombs, a document type declaration, files of other kinds, encrypted and
// damaged workbooks, and paths that lead out of the download folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/platform/spreadsheet_fixture.h"

namespace sheettest {
namespace {

std::string Refused(const std::string& path, const std::string& why) {
  return "1004 Unable to open the workbook '" + path + "': " + why;
}

TEST_F(SpreadsheetTest, PartOverSixtyFourMiBIsRefusedBeforeUnpacking) {
  std::string bomb = SheetXml(std::string((64u << 20) + 1, ' '));
  WritePackage(InFolder("bomb.xlsx"), OneSheetPackage(bomb));
  EXPECT_LT(std::filesystem::file_size(InFolder("bomb.xlsx")), 1u << 20);
  EXPECT_EQ(OpenError(InFolder("bomb.xlsx")),
            Refused(InFolder("bomb.xlsx"), "a part of the workbook is larger than 64 MiB uncompressed"));
}

TEST_F(SpreadsheetTest, PartsOverTwoHundredFiftySixMiBTogetherAreRefused) {
  const std::string big = SheetXml(std::string(60u << 20, ' '));
  std::string workbook =
      R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
      R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets>)";
  std::string rels =
      R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)";
  std::vector<std::pair<std::string, std::string_view>> parts;
  std::vector<std::string> names;
  for (int i = 1; i <= 5; ++i) names.push_back("xl/worksheets/sheet" + std::to_string(i) + ".xml");
  for (int i = 1; i <= 5; ++i) {
    std::string n = std::to_string(i);
    workbook += R"(<sheet name="S)" + n + R"(" sheetId=")" + n + R"(" r:id="rId)" + n + R"("/>)";
    rels += R"(<Relationship Id="rId)" + n +
            R"(" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet)" +
            n + R"(.xml"/>)";
    parts.push_back({names[static_cast<size_t>(i - 1)], big});
  }
  workbook += "</sheets></workbook>";
  rels += "</Relationships>";
  parts.push_back({"_rels/.rels", kRelsPart});
  parts.push_back({"xl/workbook.xml", workbook});
  parts.push_back({"xl/_rels/workbook.xml.rels", rels});
  WritePackage(InFolder("wide.xlsx"), parts);
  EXPECT_EQ(OpenError(InFolder("wide.xlsx")),
            Refused(InFolder("wide.xlsx"), "the workbook is larger than 256 MiB uncompressed"));
}

TEST_F(SpreadsheetTest, DocumentTypeDeclarationRefusesTheWorkbook) {
  std::string sheet =
      R"(<?xml version="1.0"?><!DOCTYPE worksheet [<!ENTITY a "aaaaaaaaaaaaaaaa">)"
      R"(<!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;"><!ENTITY c "&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;">)"
      R"(<!ENTITY x SYSTEM "file:///etc/passwd">]>)"
      R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)"
      R"(<row r="1"><c r="A1" t="inlineStr"><is><t>&c;&x;</t></is></c></row></sheetData></worksheet>)";
  WritePackage(InFolder("doctype.xlsx"), OneSheetPackage(sheet));
  EXPECT_EQ(OpenError(InFolder("doctype.xlsx")),
            Refused(InFolder("doctype.xlsx"),
                    "the workbook is refused (xl/worksheets/sheet1.xml holds a document type "
                    "declaration)"));
}

TEST_F(SpreadsheetTest, FilesOfOtherKindsAreNoWorkbooks) {
  sandbox.WriteFile(InFolder("codes.xlsx"), "Code;Description\n43211501;Laptops\n");
  sandbox.WriteFile(InFolder("empty.xls"), "");
  WritePackage(InFolder("other.xlsx"), {{"readme.txt", "not a workbook"}});
  EXPECT_EQ(OpenError(InFolder("codes.xlsx")), Refused(InFolder("codes.xlsx"), "the file is not a workbook"));
  EXPECT_EQ(OpenError(InFolder("empty.xls")), Refused(InFolder("empty.xls"), "the file is not a workbook"));
  EXPECT_EQ(OpenError(InFolder("other.xlsx")), Refused(InFolder("other.xlsx"), "the file is not a workbook"));
}

TEST_F(SpreadsheetTest, EncryptedWorkbooksAreRefused) {
  // An .xls protected by a password carries a FILEPASS record after its first BOF.
  WriteXls(InFolder("locked.xls"), {{1, 1, rt::Variant("secret")}},
           "import struct\n"
           "plain = wb.get_biff_data\n"
           "def locked():\n"
           "    data = plain()\n"
           "    size = struct.unpack('<H', data[2:4])[0]\n"
           "    return data[:4 + size] + struct.pack('<HHHHH', 0x2F, 6, 0, 0x1234, 0x5678) + data[4 + size:]\n"
           "wb.get_biff_data = locked\n");
  EXPECT_EQ(OpenError(InFolder("locked.xls")), Refused(InFolder("locked.xls"), "the workbook is encrypted"));

  WritePackage(InFolder("locked.xlsx"), OneSheetPackage(SheetXml("")), "secret");
  EXPECT_EQ(OpenError(InFolder("locked.xlsx")), Refused(InFolder("locked.xlsx"), "the workbook is encrypted"));
}

TEST_F(SpreadsheetTest, DamagedWorkbooksAreRefused) {
  const std::string damaged = "1004 Unable to open the workbook '";
  WriteXls(InFolder("whole.xls"), {{1, 1, rt::Variant("Code")}});
  std::string xls = testfs::ReadFile(InFolder("whole.xls"));
  sandbox.WriteFile(InFolder("cut.xls"), xls.substr(0, 600));
  EXPECT_EQ(OpenError(InFolder("cut.xls")).rfind(damaged + InFolder("cut.xls") + "': the workbook is damaged (", 0), 0u)
      << OpenError(InFolder("cut.xls"));

  WriteXlsx(InFolder("whole.xlsx"), {{1, 1, rt::Variant("Code")}});
  std::string xlsx = testfs::ReadFile(InFolder("whole.xlsx"));
  sandbox.WriteFile(InFolder("cut.xlsx"), xlsx.substr(0, xlsx.size() / 2));
  EXPECT_EQ(OpenError(InFolder("cut.xlsx")).rfind(damaged + InFolder("cut.xlsx") + "': the workbook is damaged (", 0), 0u)
      << OpenError(InFolder("cut.xlsx"));

  WritePackage(InFolder("badxml.xlsx"), OneSheetPackage("<worksheet><sheetData><row>"));
  EXPECT_EQ(OpenError(InFolder("badxml.xlsx")).rfind(damaged + InFolder("badxml.xlsx") + "': the workbook is damaged (xl/worksheets/sheet1.xml: ", 0), 0u)
      << OpenError(InFolder("badxml.xlsx"));
  WritePackage(InFolder("badref.xlsx"), OneSheetPackage(SheetXml(R"(<row><c r="A1" t="s"><v>3</v></c></row>)")));
  EXPECT_EQ(OpenError(InFolder("badref.xlsx")),
            Refused(InFolder("badref.xlsx"), "the workbook is damaged (xl/worksheets/sheet1.xml: a "
                                             "cell names the shared string \"3\", which does not exist)"));
}

// Damaged copies of a sound .xls: the compound file header's fields, its
// directory and bytes across the BIFF stream, each set to a hostile value.
// Every copy opens or raises 1004; nothing reads out of bounds (the
// sanitizers watch) and nothing is left leaking.
TEST_F(SpreadsheetTest, DamagedBytesOpenOrFailButNeverCrash) {
  WriteXls(InFolder("sound.xls"), {{1, 1, rt::Variant("Code")}, {2, 1, rt::Variant(43211501.0)},
                                   {2, 2, rt::Variant(true)}});
  const std::string sound = testfs::ReadFile(InFolder("sound.xls"));
  std::vector<size_t> positions = {0x1E, 0x20, 0x2C, 0x30, 0x38, 0x3C, 0x40, 0x44, 0x48, 0x4C, 0x50};
  for (size_t at = 1024; at < 1024 + 512; at += 128) {  // the directory's name lengths and starts
    positions.insert(positions.end(), {at + 0x40, at + 0x42, at + 0x74, at + 0x78});
  }
  // Across the BIFF stream, and every byte of the first sheet's cell records.
  for (size_t at = 1536; at < sound.size(); at += 61) positions.push_back(at);
  for (size_t at = 1760; at < 1840 && at < sound.size(); ++at) positions.insert(positions.end(), {at, at});
  int opened = 0, refused = 0;
  for (size_t i = 0; i < positions.size(); ++i) {
    std::string copy = sound;
    copy[positions[i]] = static_cast<char>(i % 2 ? 0x00 : 0xFF);
    sandbox.WriteFile(InFolder("mutant.xls"), copy);
    try {
      Describe(InFolder("mutant.xls"));
      ++opened;
    } catch (const rt::ComError& e) {
      ASSERT_EQ(e.number(), 1004) << "byte " << positions[i] << ": " << e.description();
      ++refused;
    }
  }
  EXPECT_GT(opened, 0);
  EXPECT_GT(refused, 0);
}

TEST_F(SpreadsheetTest, PathsStayInsideTheDownloadFolder) {
  WriteXlsx(sandbox.Dir() + "/outside.xlsx", {{1, 1, rt::Variant("Code")}});
  const std::string outside = "the file lies outside the download folder";
  EXPECT_EQ(OpenError(sandbox.Dir() + "/outside.xlsx"), Refused(sandbox.Dir() + "/outside.xlsx", outside));
  EXPECT_EQ(OpenError(Folder() + "/../outside.xlsx"), Refused(Folder() + "/../outside.xlsx", outside));
  EXPECT_EQ(OpenError("/etc/passwd"), Refused("/etc/passwd", outside));
  EXPECT_EQ(OpenError(Folder()), Refused(Folder(), outside));

  // Links are followed before the check: to a file or through a folder outside.
  ASSERT_EQ(::symlink((sandbox.Dir() + "/outside.xlsx").c_str(), InFolder("link.xlsx").c_str()), 0);
  ASSERT_EQ(::symlink(sandbox.Dir().c_str(), InFolder("up").c_str()), 0);
  EXPECT_EQ(OpenError(InFolder("link.xlsx")), Refused(InFolder("link.xlsx"), outside));
  EXPECT_EQ(OpenError(InFolder("up/outside.xlsx")), Refused(InFolder("up/outside.xlsx"), outside));

  // A link that stays inside is fine.
  WriteXlsx(InFolder("inside.xlsx"), {{1, 1, rt::Variant("Code")}});
  ASSERT_EQ(::symlink(InFolder("inside.xlsx").c_str(), InFolder("alias.xlsx").c_str()), 0);
  EXPECT_EQ(Describe(InFolder("alias.xlsx")), "R1C1:R1C1\nCode\n");

  EXPECT_EQ(OpenError(InFolder("missing.xlsx")), Refused(InFolder("missing.xlsx"), "the file was not found"));
  std::filesystem::create_directories(InFolder("sub.xlsx"));
  EXPECT_EQ(OpenError(InFolder("sub.xlsx")), Refused(InFolder("sub.xlsx"), "the path names no file"));

  sandbox.WriteConfig("[LOG]\nFile=" + sandbox.LogPath() + "\n");
  EXPECT_EQ(OpenError(InFolder("inside.xlsx")), Refused(InFolder("inside.xlsx"), "no install folder is configured"));
}

}  // namespace
}  // namespace sheettest
