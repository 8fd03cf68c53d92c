// DataFunctions.ToDate: dates read in a locale's short numeric order, ISO
// dates in every locale, and the same reading as CDate under locale 1033.
#include <gtest/gtest.h>

#include "runtime/com_error.h"
#include "runtime/regional.h"
#include "runtime/registry.h"
#include "tests/common/raised_by.h"

namespace {

rt::ObjectPtr Parser() { return rt::CreateObject("{66EF21CA-6A88-4D16-B416-C5CEFF675F7F}"); }

// "yyyy-mm-dd hh:nn:ss" of the answer, or "Null".
std::string ToDate(const rt::Variant& text, int32_t localeId) {
  rt::Variant date = Parser()->Call("ToDate", {text, rt::Variant(localeId)});
  if (date.IsNull()) return "Null";
  const rt::Date* value = date.Get<rt::Date>();
  return value ? rt::FormatDate(*value) : "not a Date: " + rt::TypeName(date);
}

TEST(DataFunctionsToDate, ReadsTheLocalesNumericOrderAndRefusesAnUnknownLocale) {
  struct Case {
    const char* text;
    int32_t locale;
    const char* date;
  };
  const Case cases[] = {
      {"7/4/2003", 1033, "2003-07-04"},
      {"7/4/2003", 2057, "2003-04-07"},
      {"13/4/2003", 2057, "2003-04-13"},
      {"13/4/2003", 1033, "Null"},
      {"04.07.2003", 1031, "2003-07-04"},
      {"4.7.03 14:05", 1031, "2003-07-04 14:05:00"},
      {"04/07/2003", 1031, "Null"},
      {"2003/07/04", 1041, "2003-07-04"},  // Japanese: year first
      // ISO in every locale, times with AM/PM after a locale date.
      {"2003-07-04", 2057, "2003-07-04"},
      {"2003-07-04 10:30", 1031, "2003-07-04 10:30:00"},
      {"4/7/2003 2:05:09 PM", 2057, "2003-07-04 14:05:09"},
      // Two-digit years as the runtime widens them; real days only.
      {"1/2/29", 2057, "2029-02-01"},
      {"1/2/30", 2057, "1930-02-01"},
      {"29/2/2004", 2057, "2004-02-29"},
      {"29/2/2003", 2057, "Null"},
      {"1/1/99", 1033, "1999-01-01"},
      {"1/1/099", 1033, "Null"},
      {"1/1/0099", 1033, "Null"},
      {"12/31/9999", 1033, "9999-12-31"},
      {"", 1031, "Null"},
      {"tomorrow", 1033, "Null"},
  };
  for (const Case& c : cases) EXPECT_EQ(ToDate(rt::Variant(c.text), c.locale), c.date) << c.text << " in " << c.locale;
  EXPECT_EQ(ToDate(rt::Variant::Null(), 1033), "Null");
  EXPECT_EQ(ToDate(rt::Variant(), 1033), "Null");
  // An unknown locale is an invalid procedure call.
  EXPECT_EQ(RaisedBy([] { ToDate(rt::Variant("1/1/2000"), 99999); }).number(), 5);
  EXPECT_EQ(RaisedBy([] { ToDate(rt::Variant::Null(), -1); }).number(), 5);
}

// Under locale 1033 a text is a date exactly when CDate reads it, and the
// same date.
TEST(DataFunctionsToDate, UnderUsEnglishItReadsAsCDate) {
  const char* texts[] = {"7/4/2003",        "07/04/03",         "12/31/1899",   "2/29/2000",   "2/29/1900",
                         "2003-07-04",      "2003-7-4",         "2003-07-04T10:30:15",        "2003-07-04 10:30",
                         "7/4/2003 12:00 AM", "7/4/2003 12:30 pm", "7/4/2003 13:00 PM", "7/4/2003 9:5",
                         "10:30",           "10:30 PM",         " 7/4/2003 ",   "7-4-2003",    "4.7.2003",
                         "7/4",             "7/4/2003 10",      "7/4/2003T10:30", "2003/07/04", "0/4/2003",
                         "7/32/2003",       "1/1/100",          "1/1/10000",    "99/99/99",    "",
                         "7/4/2003 10:30:60", "7/4/2003  10:30", "+7/4/2003",   "7 /4/2003",   "x"};
  for (const char* text : texts) {
    std::string expected;
    try {
      expected = rt::FormatDate(rt::CDate(rt::Variant(text)));
    } catch (const rt::ComError&) {
      expected = "Null";
    }
    EXPECT_EQ(ToDate(rt::Variant(text), 1033), expected) << "'" << text << "'";
  }
}

}  // namespace
