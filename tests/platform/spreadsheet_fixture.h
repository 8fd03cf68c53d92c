// SpreadsheetTest: a sandbox whose download folder receives workbooks made as
// the test runs (.xlsx with libxlsxwriter, .xls with python3 and xlwt, odd
// packages part by part with libzip), and the spreadsheet driven late-bound
// the way the code-list upload drives it.
#pragma once

#include <gtest/gtest.h>
#include <xlsxwriter.h>
#include <zip.h>

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "runtime/com_error.h"
#include "runtime/object.h"
#include "runtime/registry.h"
#include "tests/common/suite_sandbox.h"

namespace sheettest {

// One cell to write: 1-based position and a text, number or Boolean.
struct Entry {
  int row, column;
  rt::Variant value;
};

// A late-bound call: a property get or method with positional arguments.
inline rt::Variant Get(const rt::Variant& object, std::string_view member, rt::Args args = {}) {
  return object.AsObject()->Invoke(member, rt::CallKind::Get, args);
}

// Writes an .xlsx; `inlineStrings` writes texts inline instead of shared.
inline void WriteXlsx(const std::string& path, const std::vector<Entry>& cells,
                      bool inlineStrings = false) {
  lxw_workbook_options options{};
  options.constant_memory = inlineStrings ? LXW_TRUE : LXW_FALSE;
  lxw_workbook* book = workbook_new_opt(path.c_str(), &options);
  lxw_worksheet* sheet = workbook_add_worksheet(book, "Codes");
  for (const Entry& e : cells) {
    auto r = static_cast<lxw_row_t>(e.row - 1);
    auto c = static_cast<lxw_col_t>(e.column - 1);
    if (const auto* s = e.value.Get<std::string>()) worksheet_write_string(sheet, r, c, s->c_str(), nullptr);
    else if (const auto* b = e.value.Get<bool>()) worksheet_write_boolean(sheet, r, c, *b, nullptr);
    else worksheet_write_number(sheet, r, c, rt::CDbl(e.value), nullptr);
  }
  ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);
}

// Runs a python3 script (Debian's own interpreter, which has xlwt) with the
// output path as its argument.
inline void RunPython(const std::string& script, const std::string& output) {
  std::string scriptPath = output + ".py";
  testfs::WriteFile(scriptPath, script);
  std::string command = "/usr/bin/python3 '" + scriptPath + "' '" + output + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << "python3 with xlwt failed: " << command;
  std::filesystem::remove(scriptPath);
}

// Writes an .xls with xlwt: texts, numbers (as doubles) and Booleans.
inline void WriteXls(const std::string& path, const std::vector<Entry>& cells,
                     const std::string& afterSave = "") {
  std::string script = "import sys, xlwt\nwb = xlwt.Workbook(encoding='utf-8')\n"
                       "ws = wb.add_sheet('Codes')\n";
  for (const Entry& e : cells) {
    std::string value;
    if (const auto* s = e.value.Get<std::string>()) value = nlohmann::json(*s).dump();
    else if (const auto* b = e.value.Get<bool>()) value = *b ? "True" : "False";
    else {
      char number[40];
      std::snprintf(number, sizeof number, "%.17g", rt::CDbl(e.value));
      value = std::string("float('") + number + "')";
    }
    script += "ws.write(" + std::to_string(e.row - 1) + ", " + std::to_string(e.column - 1) +
              ", " + value + ")\n";
  }
  script += afterSave + "wb.save(sys.argv[1])\n";
  RunPython(script, path);
}

// Writes a ZIP package part by part; each part deflated at level 1 (fast,
// and still small for repetitive text). An optional password encrypts every part.
inline void WritePackage(const std::string& path,
                         const std::vector<std::pair<std::string, std::string_view>>& parts,
                         const char* password = nullptr) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  ASSERT_NE(archive, nullptr);
  for (const auto& [name, bytes] : parts) {
    zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
    zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE);
    ASSERT_GE(index, 0);
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 1);
    if (password) {
      ASSERT_EQ(zip_file_set_encryption(archive, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256,
                                        password), 0);
    }
  }
  ASSERT_EQ(zip_close(archive), 0);
}

inline const char* kRelsPart = R"(<?xml version="1.0" encoding="UTF-8"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>
</Relationships>)";

// The parts of a one-sheet workbook around a sheet's XML (and shared strings).
inline std::vector<std::pair<std::string, std::string_view>> OneSheetPackage(
    std::string_view sheetXml, std::string_view sharedStrings = {}) {
  static const std::string workbook =
      R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
      R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
      R"(<sheets><sheet name="Codes" sheetId="1" r:id="rId1"/></sheets></workbook>)";
  static const std::string workbookRels =
      R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
      R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>)"
      R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/>)"
      R"(</Relationships>)";
  std::vector<std::pair<std::string, std::string_view>> parts = {
      {"_rels/.rels", kRelsPart},
      {"xl/workbook.xml", workbook},
      {"xl/_rels/workbook.xml.rels", workbookRels},
      {"xl/worksheets/sheet1.xml", sheetXml},
  };
  if (!sharedStrings.empty()) parts.push_back({"xl/sharedStrings.xml", sharedStrings});
  return parts;
}

// A sheet's XML around the contents of its <sheetData>.
inline std::string SheetXml(const std::string& rows) {
  return R"(<?xml version="1.0" encoding="UTF-8"?>)"
         R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)" +
         rows + "</sheetData></worksheet>";
}

class SpreadsheetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(Folder());
    excel = rt::Variant(rt::CreateObject("Excel.Application"));
  }

  std::string Folder() const { return sandbox.Dir() + "/XMLDownload"; }
  std::string InFolder(const std::string& name) const { return Folder() + "/" + name; }

  rt::Variant Open(const std::string& path) {
    return Get(Get(excel, "Workbooks"), "Open", {rt::Variant(path)});
  }

  // The error that opening `path` raises, as "<number> <description>".
  std::string OpenError(const std::string& path) {
    try {
      Open(path);
    } catch (const rt::ComError& e) {
      return std::to_string(e.number()) + " " + e.description();
    }
    return "opened";
  }

  // Find("*") over the sheet's cells as the upload asks it: SearchOrder 1 by
  // rows / 2 by columns, SearchDirection 1 next / 2 previous.
  static rt::Variant FindAny(const rt::Variant& cells, int order, int direction) {
    rt::Variant none = rt::Variant::Missing();
    return Get(cells, "Find", {rt::Variant("*"), none, none, none, rt::Variant(int32_t{order}),
                               rt::Variant(int32_t{direction})});
  }

  // Reads the first sheet's used block the way the upload does: four
  // searches, the block between their corners, then every cell's Text.
  std::string Describe(const std::string& path) {
    rt::Variant book = Open(path);
    rt::Variant sheet = Get(book, "Sheets", {rt::Variant(int32_t{1})});
    rt::Variant cells = Get(sheet, "Cells");
    rt::Variant firstRow = FindAny(cells, 1, 1);
    if (firstRow.IsNothing()) {
      Get(book, "Close");
      return "empty";
    }
    int32_t top = rt::CLng(Get(firstRow, "Row"));
    int32_t left = rt::CLng(Get(FindAny(cells, 2, 1), "Column"));
    int32_t bottom = rt::CLng(Get(FindAny(cells, 1, 2), "Row"));
    int32_t right = rt::CLng(Get(FindAny(cells, 2, 2), "Column"));
    rt::Variant block = Get(sheet, "Range", {Get(cells, "", {rt::Variant(top), rt::Variant(left)}),
                                             Get(cells, "", {rt::Variant(bottom), rt::Variant(right)})});
    int32_t rows = rt::CLng(Get(Get(block, "Rows"), "Count"));
    int32_t columns = rt::CLng(Get(Get(block, "Columns"), "Count"));
    std::string text = "R" + std::to_string(top) + "C" + std::to_string(left) + ":R" +
                       std::to_string(bottom) + "C" + std::to_string(right) + "\n";
    for (int32_t r = 1; r <= rows; ++r) {
      for (int32_t c = 1; c <= columns; ++c) {
        rt::Variant cell = Get(block, "Cells", {rt::Variant(r), rt::Variant(c)});
        text += (c > 1 ? "|" : "") + rt::CStr(Get(cell, "Text"));
      }
      text += "\n";
    }
    Get(book, "Close");
    return text;
  }

  SuiteSandbox sandbox;
  rt::Variant excel;
};

}  // namespace sheettest
