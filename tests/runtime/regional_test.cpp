// Regional settings: dates by parts and as text both ways, and number text.
#include "runtime/regional.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "runtime/com_error.h"
#include "tests/runtime/error_of.h"

namespace {

using rt::Date;

struct Parts {
  int y, m, d, h = 0, n = 0, s = 0;
  bool operator==(const Parts&) const = default;
};

Parts PartsOf(Date date) {
  Parts p{};
  date.ToParts(p.y, p.m, p.d, p.h, p.n, p.s);
  return p;
}

std::string Show(const Parts& p) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d-%d-%d %d:%d:%d", p.y, p.m, p.d, p.h, p.n, p.s);
  return buf;
}

// --- Dates by parts -----------------------------------------------------

TEST(DateParts, KnownSerials) {
  struct Case {
    Parts parts;
    double serial;
  };
  const std::vector<Case> cases = {
      {{1899, 12, 30}, 0},
      {{1900, 3, 1}, 61},
      {{2000, 2, 29}, 36585},
      {{100, 1, 1}, -657434},
      {{9999, 12, 31}, 2958465},
      {{1899, 12, 29, 6}, -1.25},  // before day 0 the fraction is still the time after the day
      {{1899, 12, 30, 12}, 0.5},
      {{1800, 1, 1, 18}, -36522.75},
  };
  for (const auto& c : cases) {
    const Parts& p = c.parts;
    EXPECT_EQ(Date::FromParts(p.y, p.m, p.d, p.h, p.n, p.s).serial, c.serial) << Show(p);
    EXPECT_EQ(PartsOf(Date{c.serial}), p) << c.serial;
  }
}

TEST(DateParts, EveryDayOfTheRangeRoundTrips) {
  int failures = 0;
  for (int64_t day = -657434; day <= 2958465 && failures < 5; ++day) {
    for (double time : {0.0, 0.75}) {
      const double serial = day >= 0 ? day + time : day - time;
      const Parts p = PartsOf(Date{serial});
      const double back = Date::FromParts(p.y, p.m, p.d, p.h, p.n, p.s).serial;
      if (back != serial) {
        ADD_FAILURE() << serial << " -> " << Show(p) << " -> " << back;
        ++failures;
      }
    }
  }
}

TEST(DateParts, RoundsToTheNearestSecond) {
  const double second = 1.0 / 86400;
  EXPECT_EQ(PartsOf(Date{45000 + 0.4 * second}), (Parts{2023, 3, 15}));
  EXPECT_EQ(PartsOf(Date{45000 + 0.6 * second}), (Parts{2023, 3, 15, 0, 0, 1}));
  EXPECT_EQ(PartsOf(Date{45001 - 0.4 * second}), (Parts{2023, 3, 16}));
  EXPECT_EQ(PartsOf(Date{-1.9999999}), (Parts{1899, 12, 30}));
}

TEST(DateParts, PartsCarryOverAndRangeIsChecked) {
  EXPECT_EQ(PartsOf(Date::FromParts(2023, 13, 1)), (Parts{2024, 1, 1}));
  EXPECT_EQ(PartsOf(Date::FromParts(2024, 3, 0)), (Parts{2024, 2, 29}));
  EXPECT_EQ(PartsOf(Date::FromParts(2024, 1, 1, 25)), (Parts{2024, 1, 2, 1}));
  EXPECT_EQ(ErrorOf([] { Date::FromParts(10000, 1, 1); }), 5);
  EXPECT_EQ(ErrorOf([] { Date::FromParts(99, 12, 31); }), 5);
  EXPECT_EQ(ErrorOf([] { PartsOf(Date{3e6}); }), 6);
}

// --- Dates as text ------------------------------------------------------

TEST(DateText, FormsOfTheProfile) {
  const std::vector<std::pair<Date, std::string>> cases = {
      {Date::FromParts(2024, 3, 5, 14, 7, 9), "2024-03-05 14:07:09"},
      {Date::FromParts(1899, 12, 30, 8, 30, 0), "08:30:00"},
      {Date{0}, "1899-12-30"},
      {Date{-1.25}, "1899-12-29 06:00:00"},
      {Date{-0.5}, "12:00:00"},
      {Date{45000 - 0.3 / 86400}, "2023-03-15"},
      {Date::FromParts(100, 1, 1, 23, 59, 59), "0100-01-01 23:59:59"},
  };
  for (const auto& [date, text] : cases) EXPECT_EQ(rt::FormatDate(date), text) << date.serial;
}

TEST(DateText, AcceptedForms) {
  const std::vector<std::pair<const char*, Parts>> cases = {
      {" 2024-3-5 ", {2024, 3, 5}},
      {"2024-03-05 14:07", {2024, 3, 5, 14, 7}},
      {"2024-03-05 14:07:09", {2024, 3, 5, 14, 7, 9}},
      {"2024-03-05T14:07:09", {2024, 3, 5, 14, 7, 9}},
      {"3/5/2024", {2024, 3, 5}},  // month first, locale 1033
      {"03/05/24", {2024, 3, 5}},
      {"3/5/30", {1930, 3, 5}},
      {"12/31/1999 11:59 PM", {1999, 12, 31, 23, 59}},
      {"1/2/2003 12:00:01 am", {2003, 1, 2, 0, 0, 1}},
      {"14:07", {1899, 12, 30, 14, 7}},
      {"12:30PM", {1899, 12, 30, 12, 30}},
  };
  for (const auto& [text, parts] : cases) {
    const auto date = rt::ParseDate(text);
    ASSERT_TRUE(date.has_value()) << text;
    EXPECT_EQ(PartsOf(*date), parts) << text;
  }
}

TEST(DateText, RejectedForms) {
  for (const char* text :
       {"", "abc", "2024-02-30", "2023-02-29", "2024-13-01", "2024-00-10", "13/1/2024",
        "2/30/2024", "0099-01-01", "24:00", "12:60", "1:2:60", "13:00 PM", "2024-03-05T",
        "2024-03-05T14:07 PM", "2024/03/05", "5.3.2024", "3/5/202", "3/5", "2024-03-05 14",
        "2024-03-05 14:07 extra", "2024-03-0514:07", "45000", "1e5"}) {
    EXPECT_FALSE(rt::ParseDate(text).has_value()) << text;
  }
}

// --- Numbers ------------------------------------------------------------

TEST(NumberText, InvariantProfile) {
  EXPECT_EQ(rt::FormatDouble(1234567.5), "1234567.5");  // no grouping
  EXPECT_EQ(rt::FormatDouble(-1e-300), "-1E-300");
  EXPECT_EQ(rt::FormatSingle(16777216.0f), "1.677722E+07");
  EXPECT_EQ(rt::FormatCurrency(rt::Currency::FromScaled(INT64_MIN)), "-922337203685477.5808");
}

// The SQL form of a Double: VB's 15 digits when they read back as the same
// number, else 16 or 17; the text reads back exactly.
TEST(NumberText, ExactFormReadsBackAsTheSameDouble) {
  const std::vector<std::pair<double, const char*>> forms = {
      {0.1, "0.1"},
      {2.5, "2.5"},
      {-1e-300, "-1E-300"},
      {1e16, "1E+16"},
      {0.3333333333333333, "0.3333333333333333"},
      {0.1 + 0.2, "0.30000000000000004"},
      {1.0000000000000002, "1.0000000000000002"},
      {9007199254740993.0, "9007199254740992"},
      {123456789012345678.0, "1.2345678901234568E+17"},
      {-0.0, "0"},
  };
  for (const auto& [value, text] : forms) {
    EXPECT_EQ(rt::FormatDoubleExact(value), text) << text;
    EXPECT_EQ(rt::ParseNumber(text), value) << text;
  }
}

TEST(NumberText, Parse) {
  const std::vector<std::pair<const char*, double>> accepted = {
      {"  12.5 ", 12.5}, {"-.5", -0.5},     {"5.", 5},          {"1.5E-3", 0.0015},
      {"&hffff", -1},    {"&H8000", -32768}, {"&H10000", 65536}, {"&HFFFFFFFF", -1}, {"&O17", 15},
  };
  for (const auto& [text, value] : accepted) {
    const auto n = rt::ParseNumber(text);
    ASSERT_TRUE(n.has_value()) << text;
    EXPECT_EQ(*n, value) << text;
  }
  for (const char* text : {"", " ", "1,5", "1,000", "1.2.3", "e5", "1e", "inf", "nan", "0x10",
                           "--1", "1 2", "&H", "&H1G", "&O8", "&H100000000", "$5", "1e400"}) {
    bool overflow = true;
    EXPECT_FALSE(rt::ParseNumber(text, &overflow).has_value()) << text;
    EXPECT_EQ(overflow, std::string_view(text) == "1e400") << text;
  }
  // Beyond Double's range at either end: an overflow above, 0 below.
  bool overflow = false;
  EXPECT_FALSE(rt::ParseNumber("1" + std::string(400, '0'), &overflow).has_value());
  EXPECT_TRUE(overflow);
  EXPECT_EQ(rt::ParseNumber("0.00001e-400", &overflow), 0.0);
  EXPECT_FALSE(overflow);
}

}  // namespace
