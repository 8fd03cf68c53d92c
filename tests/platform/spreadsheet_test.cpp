// Tests of "Excel.Application": the same list read from .xls and .xlsx, the
// used block found wherever it lies, the cell kinds of SpreadsheetML, sheet
// order, and cells addressed relative to a range.
#include <gtest/gtest.h>

#include "tests/common/golden.h"
#include "tests/platform/spreadsheet_fixture.h"

namespace sheettest {
namespace {

using V = rt::Variant;

// A code list whose block starts at C5: numbers, texts with blanks, an empty code cell.
std::vector<Entry> CodeList() {
  return {{5, 3, V("Code")},        {5, 4, V("Description")},
          {6, 3, V(43211501.0)},    {6, 4, V("Notebook computers")},
          {7, 3, V(4321150101.0)},  {7, 4, V("Ten digits")},
          {8, 3, V(" 43000000 ")},  {8, 4, V("  Blanks  kept ")},
          {9, 4, V("No code")},
          {10, 3, V("43210000")},   {10, 4, V("Computer equipment")}};
}

const char* kCodeListBlock =
    "R5C3:R10C4\n"
    "Code|Description\n"
    "43211501|Notebook computers\n"
    "4321150101|Ten digits\n"
    " 43000000 |  Blanks  kept \n"
    "|No code\n"
    "43210000|Computer equipment\n";

// The format is told by the content, not by the name.
TEST_F(SpreadsheetTest, OneListReadsTheSameFromXlsXlsxAndInlineStringsWhateverTheName) {
  WriteXls(InFolder("really-xls.xlsx"), CodeList());
  WriteXlsx(InFolder("really-xlsx.xls"), CodeList());
  WriteXlsx(InFolder("inline.xlsx"), CodeList(), true);
  for (const char* name : {"really-xls.xlsx", "really-xlsx.xls", "inline.xlsx"})
    EXPECT_EQ(Describe(InFolder(name)), kCodeListBlock) << name;
}

// Searching forward from after the top left cell would find row 2 first and
// take the codes' first row for the header.
// An empty sheet (or one of formatted blank cells) finds nothing.
TEST_F(SpreadsheetTest, LoneHeaderInTheTopLeftCellIsTheFirstRowAndAnEmptySheetFindsNothing) {
  std::vector<Entry> list = {{1, 1, V("Code")}, {2, 1, V(43211501.0)}, {2, 2, V("Laptops")}};
  WriteXls(InFolder("a1.xls"), list);
  WriteXlsx(InFolder("a1.xlsx"), list);
  EXPECT_EQ(Describe(InFolder("a1.xls")), "R1C1:R2C2\nCode|\n43211501|Laptops\n");
  EXPECT_EQ(Describe(InFolder("a1.xlsx")), "R1C1:R2C2\nCode|\n43211501|Laptops\n");
  WriteXls(InFolder("empty.xls"), {});
  WritePackage(InFolder("blank-cells.xlsx"),
               OneSheetPackage(SheetXml(R"(<row r="1"><c r="A1" s="1"/><c r="B1" t="s"/></row>)")));
  EXPECT_EQ(Describe(InFolder("empty.xls")), "empty");
  EXPECT_EQ(Describe(InFolder("blank-cells.xlsx")), "empty");
}

TEST_F(SpreadsheetTest, CellFarDownIsFoundAsTheLastRow) {
  std::vector<Entry> list = {{1, 1, V("Code")}, {40000, 3, V("deep")}};
  for (const char* name : {"deep.xls", "deep.xlsx"}) {
    std::string path = InFolder(name);
    if (std::string(name).ends_with(".xls")) WriteXls(path, list);
    else WriteXlsx(path, list);
    V cells = Get(Get(Open(path), "Sheets", {V(int32_t{1})}), "Cells");
    V last = FindAny(cells, 1, 2);
    EXPECT_EQ(rt::CLng(Get(last, "Row")), 40000) << name;
    EXPECT_EQ(rt::CLng(Get(FindAny(cells, 2, 2), "Column")), 3) << name;
    EXPECT_EQ(rt::CStr(Get(Get(cells, "", {V(int32_t{40000}), V(int32_t{3})}), "Text")), "deep");
  }
}

TEST_F(SpreadsheetTest, RichRunsJoinIntoOneText) {
  lxw_workbook* book = workbook_new(InFolder("rich.xlsx").c_str());
  lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
  lxw_format* bold = workbook_add_format(book);
  format_set_bold(bold);
  lxw_rich_string_tuple first = {bold, const_cast<char*>("Notebook")};
  lxw_rich_string_tuple second = {nullptr, const_cast<char*>(" computers ")};
  lxw_rich_string_tuple* runs[] = {&first, &second, nullptr};
  worksheet_write_rich_string(sheet, 0, 0, runs, nullptr);
  ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);
  EXPECT_EQ(Describe(InFolder("rich.xlsx")), "R1C1:R1C1\nNotebook computers \n");
}

// Inline and formula texts keep their blanks; Booleans and errors show as
// stored; a formula without a value is a used cell; rows and cells without
// numbers follow the previous ones; shared strings drop phonetic runs and
// undo "_xHHHH_" escapes.
TEST_F(SpreadsheetTest, CellKindsOfSpreadsheetML) {
  std::string sheet = SheetXml(
      R"(<row r="1"><c r="A1" t="inlineStr"><is><t xml:space="preserve">  padded  </t></is></c>)"
      R"(<c r="B1" t="str"><f>"a"&amp;"b"</f><v>a b</v></c><c r="C1" t="b"><v>1</v></c>)"
      R"(<c r="D1" t="b"><v>0</v></c><c r="E1" t="e"><v>#N/A</v></c></row>)"
      R"(<row r="2"><c r="A2"><v>4321150101</v></c><c r="B2"><v>0.1</v></c>)"
      R"(<c r="C2"><f>A2*0</f></c><c r="D2" t="s"><v>0</v></c><c r="E2" t="s"><v>1</v></c></row>)"
      R"(<row><c><v>1</v></c><c t="inlineStr"><is><r><t>x</t></r><r><t> </t></r></is></c></row>)");
  std::string shared =
      R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
      R"(<si><r><rPr><b/></rPr><t>Rich</t></r><r><t xml:space="preserve"> text</t></r>)"
      R"(<rPh sb="0" eb="1"><t>reading</t></rPh></si><si><t>a_x000D_b_x005F_x0041_</t></si></sst>)";
  WritePackage(InFolder("kinds.xlsx"), OneSheetPackage(sheet, shared));
  EXPECT_EQ(Describe(InFolder("kinds.xlsx")),
            "R1C1:R3C5\n"
            "  padded  |a b|TRUE|FALSE|#N/A\n"
            "4321150101|0.1||Rich text|a\rb_x0041_\n"
            "1|x |||\n");

  V cells = Get(Get(Open(InFolder("kinds.xlsx")), "Sheets", {V(int32_t{1})}), "Cells");
  auto value = [&](int r, int c) { return Get(Get(cells, "", {V(int32_t{r}), V(int32_t{c})}), "Value"); };
  EXPECT_EQ(Golden()
                .Add("R1C1", rt::TypeName(value(1, 1)))
                .Add("R2C1", rt::TypeName(value(2, 1)))
                .Add("R1C3", rt::TypeName(value(1, 3)))
                .Add("R1C5", rt::TypeName(value(1, 5)))
                .Line(),
            "R1C1=String R2C1=Double R1C3=Boolean R1C5=Error");
  EXPECT_TRUE(value(9, 9).IsEmpty());
  // The default member of a cell is its value.
  EXPECT_EQ(rt::CStr(Get(Get(cells, "", {V(int32_t{2}), V(int32_t{1})}), "")), "4321150101");
}

// libfreexl reads Booleans and errors as numbers and skips formulas; the
// records give them. xlwt stores no formula results, so the script writes
// the results a spreadsheet would have saved (a number; a text in a STRING
// record) into the sheet's FORMULA records; the third formula keeps xlwt's
// empty result and is still a used cell.
TEST_F(SpreadsheetTest, XlsBooleansErrorsAndFormulaResultsShowAsStored) {
  RunPython(R"(import sys, struct, xlwt
from xlwt.Worksheet import Worksheet
RESULTS = {(2, 0): 43211501.0, (2, 1): 'Żółw ✓'}
plain = Worksheet.get_biff_data
def with_results(self):
    data, out, at = plain(self), b'', 0
    while at < len(data):
        kind, size = struct.unpack('<HH', data[at:at + 4])
        rec, extra = data[at:at + 4 + size], b''
        at += 4 + size
        result = RESULTS.get(struct.unpack('<HH', rec[4:8])) if kind == 0x0006 else None
        if isinstance(result, float):
            rec = rec[:10] + struct.pack('<d', result) + rec[18:]
        elif result is not None:
            rec = rec[:10] + struct.pack('<6BH', 0, 0, 0, 0, 0, 0, 0xFFFF) + rec[18:]
            text = result.encode('utf-16-le')
            extra = struct.pack('<HHHB', 0x0207, 3 + len(text), len(text) // 2, 1) + text
        out += rec + extra
    return out
Worksheet.get_biff_data = with_results
wb = xlwt.Workbook(encoding='utf-8')
ws = wb.add_sheet('Codes')
ws.write(0, 0, True)
ws.write(0, 1, False)
ws.row(1).set_cell_error(0, 0x2A)
ws.row(1).set_cell_error(1, 0x07)
ws.write(2, 0, xlwt.Formula('43211500+1'))
ws.write(2, 1, xlwt.Formula('"a"&"b"'))
ws.write(2, 2, xlwt.Formula('""'))
wb.save(sys.argv[1])
)", InFolder("kinds.xls"));
  EXPECT_EQ(Describe(InFolder("kinds.xls")),
            "R1C1:R3C3\n"
            "TRUE|FALSE|\n"
            "#N/A|#DIV/0!|\n"
            "43211501|Żółw ✓|\n");
}

TEST_F(SpreadsheetTest, SheetsComeInWorkbookOrderNotPartOrder) {
  std::string workbook =
      R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
      R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets>)"
      R"(<sheet name="Second" sheetId="2" r:id="rId7"/><sheet name="First" sheetId="1" r:id="rId3"/>)"
      R"(</sheets></workbook>)";
  std::string rels =
      R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
      R"(<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="/xl/worksheets/sheet1.xml"/>)"
      R"(<Relationship Id="rId7" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="./sheets/../worksheets/sheet2.xml"/>)"
      R"(</Relationships>)";
  std::string one = SheetXml(R"(<row r="1"><c r="A1" t="inlineStr"><is><t>one</t></is></c></row>)");
  std::string two = SheetXml(R"(<row r="1"><c r="A1" t="inlineStr"><is><t>two</t></is></c></row>)");
  WritePackage(InFolder("order.xlsx"), {{"_rels/.rels", kRelsPart},
                                        {"xl/workbook.xml", workbook},
                                        {"xl/_rels/workbook.xml.rels", rels},
                                        {"xl/worksheets/sheet1.xml", one},
                                        {"xl/worksheets/sheet2.xml", two}});
  EXPECT_EQ(Describe(InFolder("order.xlsx")), "R1C1:R1C1\ntwo\n");

  V book = Open(InFolder("order.xlsx"));
  V sheets = Get(book, "Sheets");
  EXPECT_EQ(rt::CLng(Get(sheets, "Count")), 2);
  EXPECT_EQ(rt::CStr(Get(Get(sheets, "", {V(int32_t{2})}), "Name")), "First");
  EXPECT_EQ(rt::CStr(Get(Get(book, "Sheets", {V("first")}), "Name")), "First");
  EXPECT_EQ(rt::CStr(Get(book, "Name")), "order.xlsx");
}

class RangeTest : public SpreadsheetTest {
 protected:
  void SetUp() override {
    SpreadsheetTest::SetUp();
    WriteXlsx(InFolder("codes.xlsx"), CodeList());
    sheet = Get(Open(InFolder("codes.xlsx")), "Sheets", {V(int32_t{1})});
    block = Get(sheet, "Range", {V("C5"), V("D10")});
  }
  std::string TextAt(const V& range, int r, int c) {
    return rt::CStr(Get(Get(range, "Cells", {V(int32_t{r}), V(int32_t{c})}), "Text"));
  }
  std::string Where(const V& cell) {
    return "R" + rt::CStr(Get(cell, "Row")) + "C" + rt::CStr(Get(cell, "Column"));
  }
  V sheet, block;
};

TEST_F(RangeTest, CellsCountFromTheRangeAndMayPassItsEdge) {
  EXPECT_EQ(TextAt(block, 2, 2), "Notebook computers");
  EXPECT_EQ(Where(Get(block, "Cells", {V(int32_t{8}), V(int32_t{3})})), "R12C5");
  EXPECT_EQ(Where(Get(block, "Cells", {V(int32_t{0}), V(int32_t{0})})), "R4C2");
  EXPECT_EQ(Where(Get(block, "Cells", {V(int32_t{3}), V("B")})), "R7C4");
  EXPECT_EQ(Where(Get(block, "Cells", {V(int32_t{3})})), "R6C3");
  EXPECT_EQ(TextAt(block, 8, 3), "");
  EXPECT_EQ(rt::CLng(Get(block, "Count")), 12);
  EXPECT_EQ(rt::CLng(Get(Get(block, "Rows"), "Count")), 6);
  EXPECT_EQ(rt::CLng(Get(Get(Get(sheet, "Cells"), "Rows"), "Count")), 1048576);

  // Off the grid: the application's error.
  try {
    Get(block, "Cells", {V(int32_t{-4}), V(int32_t{1})});
    ADD_FAILURE() << "a cell above row 1 was handed out";
  } catch (const rt::ComError& e) {
    EXPECT_EQ(e.number(), 1004);
  }
}

TEST_F(RangeTest, TextOfSeveralCellsIsCommonOrNull) {
  EXPECT_TRUE(Get(Get(sheet, "Range", {V("C5:D6")}), "Text").IsNull());
  EXPECT_EQ(rt::CStr(Get(Get(sheet, "Range", {V("F1:G3")}), "Text")), "");
  V values = Get(Get(sheet, "Range", {V("C6"), V("D6")}), "Value");
  EXPECT_EQ(rt::CStr(values.AsArray().At(1, 1)), "43211501");
  EXPECT_EQ(rt::CStr(values.AsArray().At(1, 2)), "Notebook computers");
}

TEST_F(RangeTest, FindFollowsOrderDirectionAfterAndPattern) {
  V none = V::Missing();
  auto find = [&](const V& in, V what, V after, V lookAt, int order, int direction) {
    return Get(in, "Find", {what, after, none, lookAt, V(int32_t{order}), V(int32_t{direction})});
  };
  // Only the range's own cells count.
  V lower = Get(sheet, "Range", {V("C7:D10")});
  EXPECT_EQ(Where(find(lower, V("*"), none, none, 2, 2)), "R10C4");
  // After: starts past the cell and wraps round to it.
  V c10 = Get(sheet, "Range", {V("C10")});
  EXPECT_EQ(Where(find(block, V("*"), c10, none, 1, 1)), "R10C4");
  EXPECT_EQ(Where(find(block, V("*"), Get(sheet, "Range", {V("D10")}), none, 1, 1)), "R5C3");
  EXPECT_EQ(Where(find(block, V("*"), Get(sheet, "Range", {V("C6")}), none, 1, 2)), "R5C4");
  // Wildcards, part or whole, letter case ignored.
  EXPECT_EQ(Where(find(block, V("432?0*"), none, V(int32_t{1}), 1, 1)), "R10C3");
  EXPECT_EQ(Where(find(block, V("DIGITS"), none, none, 1, 1)), "R7C4");
  EXPECT_TRUE(find(block, V("DIGITS"), none, V(int32_t{1}), 1, 1).IsNothing());
}

}  // namespace
}  // namespace sheettest
