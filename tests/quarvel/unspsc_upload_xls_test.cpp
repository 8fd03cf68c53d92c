// TUNSPSC.UploadFromXLS against a recording stand-in for Excel.Application
// that holds one sheet of texts: the calls the upload makes, the used block
// wherever it starts, the rows it skips, and its failures (straight ones
// without a block, the others through the handler with the list rolled
// back).
#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "tests/common/recording_fake.h"
#include "tests/quarvel/unspsc_fixture.h"

namespace {

using unspsctest::UNSPSCTest;

// A workbook of one sheet; cells by (row, column), all texts. Ranges answer
// Find("*") over the used cells, Row, Column, Rows.Count, Cells(r, c)
// relative to their top left, and Text.
class FakeWorkbook {
 public:
  std::map<std::pair<int32_t, int32_t>, std::string> cells;
  bool openFails = false;
  int32_t failingTextRow = 0;  // Text of a cell of this row raises
  std::shared_ptr<RecordingFake::Log> log = std::make_shared<RecordingFake::Log>();

  rt::ObjectPtr Application() {
    auto app = Fake("Application");
    app->On("Workbooks", [this](rt::Args&) {
      auto books = Fake("Workbooks");
      books->On("Open", [this](rt::Args&) -> rt::Variant {
        if (openFails) rt::Raise(1004, "Excel", "Unable to open the workbook");
        auto book = Fake("Workbook");
        book->On("Sheets", [this](rt::Args&) { return rt::Variant(Sheet()); });
        return rt::Variant(rt::ObjectPtr(book));
      });
      return rt::Variant(rt::ObjectPtr(books));
    });
    return app;
  }

 private:
  struct Area {
    int32_t top, left, bottom, right;
  };

  std::shared_ptr<RecordingFake> Fake(const char* type) { return std::make_shared<RecordingFake>(type, log); }

  rt::ObjectPtr Sheet() {
    auto sheet = Fake("Worksheet");
    sheet->On("Cells", [this](rt::Args& a) {
      if (a.empty()) return rt::Variant(Range({1, 1, 1048576, 16384}));
      return rt::Variant(Range({rt::CLng(a[0]), rt::CLng(a[1]), rt::CLng(a[0]), rt::CLng(a[1])}));
    });
    sheet->On("Range", [this](rt::Args& a) {
      const Area& from = areas_.at(a[0].AsObject().get());
      const Area& to = areas_.at(a[1].AsObject().get());
      return rt::Variant(Range({from.top, from.left, to.bottom, to.right}));
    });
    return sheet;
  }

  rt::ObjectPtr Range(Area area) {
    auto range = Fake("Range");
    areas_[range.get()] = area;
    range->On("Row", [area](rt::Args&) { return rt::Variant(area.top); });
    range->On("Column", [area](rt::Args&) { return rt::Variant(area.left); });
    range->On("Rows", [this, area](rt::Args&) {
      auto rows = Fake("Range");
      rows->On("Count", [area](rt::Args&) { return rt::Variant(area.bottom - area.top + 1); });
      return rt::Variant(rt::ObjectPtr(rows));
    });
    range->On("Cells", [this, area](rt::Args& a) {
      const int32_t r = area.top + rt::CLng(a[0]) - 1, c = area.left + rt::CLng(a[1]) - 1;
      return rt::Variant(Range({r, c, r, c}));
    });
    range->On("Text", [this, area](rt::Args&) {
      if (area.top == failingTextRow) rt::Raise(1004, "Excel", "The cell cannot be read");
      auto it = cells.find({area.top, area.left});
      return rt::Variant(it == cells.end() ? std::string() : it->second);
    });
    range->On("Find", [this](rt::Args& a) {
      // By rows the order is (row, column), by columns (column, row).
      const bool byRows = rt::CLng(a[4]) == 1, next = rt::CLng(a[5]) == 1;
      auto order = [byRows](const std::pair<int32_t, int32_t>& p) {
        return byRows ? p : std::make_pair(p.second, p.first);
      };
      const std::pair<int32_t, int32_t>* best = nullptr;
      for (const auto& [at, text] : cells) {
        if (text.empty()) continue;
        if (!best || (next ? order(at) < order(*best) : order(*best) < order(at))) best = &at;
      }
      if (!best) return rt::Variant::Nothing();
      return rt::Variant(Range({best->first, best->second, best->first, best->second}));
    });
    return range;
  }

  std::map<const rt::Object*, Area> areas_;
};

class UploadXls : public UNSPSCTest {
 protected:
  std::string Upload(bool overwrite = false, bool commodity = true) {
    FakeClass excel("Excel.Application", [this] { return book.Application(); });
    std::string result;
    Run([&] { result = Render(NewTUNSPSC()->UploadFromXLS(DownloadPath("codes.xls"), overwrite, commodity)); });
    return result;
  }
  std::string UploadFailure() {
    FakeClass excel("Excel.Application", [this] { return book.Application(); });
    std::string failure;
    Run([&] { failure = Failure([&] { NewTUNSPSC()->UploadFromXLS(DownloadPath("codes.xls"), false, true); }); });
    return failure;
  }
  std::string Calls() const {
    std::string text;
    for (const std::string& line : *book.log) text += line + "\n";
    return text;
  }

  FakeWorkbook book;
};

// The used block starts at C5: row 5 is the header, codes come from column
// C and descriptions from D. A row without a code is skipped; a code with
// blanks around it is invalid under its text as read.
TEST_F(UploadXls, TheUsedBlockIsFoundWhereverItStarts) {
  book.cells = {{{5, 3}, "Code"},     {{5, 4}, "Title"},     {{6, 3}, "43000000"},  {{6, 4}, "IT"},
                {{7, 3}, ""},         {{7, 4}, "no code"},   {{8, 3}, " 44000000 "}, {{8, 4}, "Office"},
                {{9, 3}, "43210000"}, {{9, 4}, "Computers"}, {{10, 5}, "note"}};
  EXPECT_EQ(Upload(), " 44000000 =Integer:1");
  EXPECT_EQ(Codes(), "|43|1|IT\n43|21|2|Computers\n");
  EXPECT_EQ(Calls(),
            "Get Workbooks\n"
            "Call Open(String:" + DownloadPath("codes.xls") + ")\n"
            "Call Sheets(Long:1)\n"
            "Get Cells\n"
            "Call Find(String:*, Error, Error, Error, Long:1, Long:1)\nGet Row\n"
            "Call Find(String:*, Error, Error, Error, Long:2, Long:1)\nGet Column\n"
            "Call Find(String:*, Error, Error, Error, Long:1, Long:2)\nGet Row\n"
            "Call Find(String:*, Error, Error, Error, Long:2, Long:2)\nGet Column\n"
            "Call Cells(Integer:5, Integer:3)\nCall Cells(Integer:10, Integer:5)\n"
            "Call Range(Object:Range, Object:Range)\n"
            "Get Rows\nGet Count\n"
            "Call Cells(Long:2, Long:1)\nGet Text\nCall Cells(Long:2, Long:2)\nGet Text\n"
            "Call Cells(Long:3, Long:1)\nGet Text\n"
            "Call Cells(Long:4, Long:1)\nGet Text\nCall Cells(Long:4, Long:2)\nGet Text\n"
            "Call Cells(Long:5, Long:1)\nGet Text\nCall Cells(Long:5, Long:2)\nGet Text\n"
            "Call Cells(Long:6, Long:1)\nGet Text\n"
            "Call Close()\n");
}

TEST_F(UploadXls, TheApplicationOrTheWorkbookMissingIsRefusedStraight) {
  book.openFails = true;
  EXPECT_EQ(UploadFailure(), "800400D5 Quarvel.UNSPSC.UploadFromXLS: Unable to load XLS");
  // No spreadsheet application can be created.
  FakeClass none("Excel.Application", []() -> rt::ObjectPtr { rt::Raise(rt::hr::kInvalidClassString, "", "Invalid class string"); });
  std::string failure;
  Run([&] { failure = Failure([&] { NewTUNSPSC()->UploadFromXLS(DownloadPath("codes.xls"), false, true); }); });
  EXPECT_EQ(failure, "800400D5 Quarvel.UNSPSC.UploadFromXLS: MS Excel should be installed to upload from XLS");
  EXPECT_EQ(LogEntriesWith("UploadFromXLS"), 0);
}

// A used cell beyond row 32767 overflows the row number (6) before
// anything is stored.
TEST_F(UploadXls, ARowBeyondThe16BitRangeFailsThroughTheHandler) {
  book.cells = {{{1, 1}, "Code"}, {{2, 1}, "44000000"}, {{40000, 1}, "43000000"}};
  EXPECT_EQ(UploadFailure(), "6 Quarvel: |ERROR 0x6| METHOD: Quarvel.UNSPSC.UploadFromXLS| DESC: Overflow.|");
  EXPECT_EQ(Codes(), "");
  EXPECT_EQ(LogEntriesWith("UploadFromXLS"), 1);
  // The workbook is closed on the way out.
  EXPECT_EQ(Calls().substr(Calls().size() - 13), "Call Close()\n");
}

// A failure in the middle of the list votes abort: the codes stored before
// it go with the transaction.
TEST_F(UploadXls, AFailureInTheMiddleRollsTheListBack) {
  book.cells = {{{1, 1}, "Code"}, {{2, 1}, "43000000"}, {{3, 1}, "44000000"}, {{4, 1}, "45000000"}};
  book.failingTextRow = 3;
  EXPECT_EQ(UploadFailure(),
            "3EC Excel: |ERROR 0x3EC| METHOD: Quarvel.UNSPSC.UploadFromXLS| DESC: The cell cannot be read.|");
  EXPECT_EQ(Codes(), "");
}

}  // namespace
