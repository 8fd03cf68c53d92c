// Variant: type names, arrays, VB conversions and their errors, comparison
// across subtypes, Decimal text and the character-aware text functions.
#include "runtime/variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "runtime/com_error.h"
#include "runtime/object.h"
#include "tests/runtime/error_of.h"

namespace {

using rt::Variant;

rt::Decimal Dec(const char* text) {
  rt::Decimal d;
  EXPECT_TRUE(rt::Decimal::Parse(text, d)) << text;
  return d;
}

rt::Currency Cur(int64_t scaled) { return rt::Currency::FromScaled(scaled); }

// An object whose default member answers a fixed value, as a field's Value does.
class Field : public rt::Object {
 public:
  explicit Field(Variant value) : value_(std::move(value)) {}
  std::string TypeName() const override { return "Field"; }
  Variant Invoke(std::string_view name, rt::CallKind, rt::Args&) override {
    if (!name.empty()) rt::RaiseVb(rt::vberr::kMethodNotSupported);
    return value_;
  }

 private:
  Variant value_;
};

// --- Type names ---------------------------------------------------------

// Simple subtypes' names show in every golden value rendering; these are the
// ones with rules of their own.
TEST(VariantTypeName, ObjectsAndArraysAreNamedByWhatTheyHold) {
  const std::vector<std::pair<Variant, std::string>> cases = {
      {Variant::Missing(), "Error"},
      {Variant::Nothing(), "Nothing"},
      {Variant(std::make_shared<Field>(Variant(1))), "Field"},
      {Variant(rt::SafeArray::From({})), "Variant()"},
      {Variant(rt::SafeArray::TwoDim(0, 1, 0, 1, rt::VarType::Long)), "Long()"},
      {Variant(rt::SafeArray::Unallocated(rt::VarType::Object)), "Object()"},
  };
  for (const auto& [value, name] : cases) EXPECT_EQ(rt::TypeName(value), name);
  EXPECT_EQ(rt::VarTypeOf(Variant(rt::SafeArray::Unallocated(rt::VarType::String))), 8192 + 8);
  EXPECT_FALSE(Variant(rt::ErrorValue{5}).IsMissing());
}

// --- Arrays -------------------------------------------------------------

TEST(SafeArray, BoundsAndSubscripts) {
  // An unallocated array has no bounds; an empty one runs from 0 to -1.
  EXPECT_EQ(ErrorOf([] { rt::SafeArray::Unallocated()->UBound(); }), 9);
  const auto empty = rt::SafeArray::From({});
  EXPECT_EQ(empty->UBound(), -1);
  EXPECT_EQ(ErrorOf([&] { empty->At(0); }), 9);

  auto a = rt::SafeArray::OneDim(1, 3, rt::VarType::String);
  EXPECT_TRUE(a->At(3).IsString());  // a String() starts with empty texts
  EXPECT_EQ(ErrorOf([&] { a->At(0); }), 9);
  EXPECT_EQ(ErrorOf([&] { a->At(4); }), 9);
  EXPECT_EQ(ErrorOf([&] { a->At(1, 1); }), 9);
  EXPECT_EQ(ErrorOf([] { rt::SafeArray::OneDim(5, 3); }), 9);

  auto grid = rt::SafeArray::TwoDim(0, 1, 1, 3);
  grid->At(1, 3) = Variant("last");
  EXPECT_EQ(grid->UBound(1), 1);
  EXPECT_EQ(grid->LBound(2), 1);
  EXPECT_EQ(rt::CStr(grid->data.back()), "last");  // the first subscript varies fastest
}

TEST(SafeArray, RedimPreserveKeepsValuesAndCopiesDoNotShareChanges) {
  auto row = rt::SafeArray::Unallocated(rt::VarType::Integer);
  row->RedimPreserve(0);
  row->At(0) = Variant(int16_t{7});
  row->RedimPreserve(2);
  EXPECT_EQ(rt::CInt(row->At(0)), 7);
  EXPECT_EQ(rt::TypeName(row->At(2)), "Integer");

  auto grid = rt::SafeArray::TwoDim(0, 1, 0, 1);
  grid->At(0, 1) = Variant(1);
  grid->At(1, 1) = Variant(2);
  grid->RedimPreserve(3);
  EXPECT_EQ(rt::CLng(grid->At(1, 1)), 2);
  EXPECT_TRUE(grid->At(1, 3).IsEmpty());
  grid->RedimPreserve(0);
  EXPECT_EQ(ErrorOf([&] { grid->At(1, 1); }), 9);

  // A copied Variant holds an array of its own.
  Variant a(rt::SafeArray::From({Variant(1), Variant(2)}));
  Variant b = a;
  b.MutableArray().At(0) = Variant("changed");
  EXPECT_EQ(rt::CLng(a.AsArray().At(0)), 1);
}

// --- Conversions --------------------------------------------------------

TEST(Conversion, IntegersRoundHalfToEven) {
  const std::vector<std::pair<double, int32_t>> cases = {
      {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.5, 0}, {2.4999, 2}};
  for (const auto& [in, out] : cases) EXPECT_EQ(rt::CLng(Variant(in)), out) << in;
  EXPECT_EQ(rt::CInt(Variant("2.5")), 2);
  EXPECT_EQ(rt::CByte(Variant(254.5)), 254);
  EXPECT_EQ(rt::CLng(Variant(Cur(25000))), 2);  // Currency 2.5
  EXPECT_EQ(rt::CLng(Variant(Dec("-2.5"))), -2);
  EXPECT_EQ(rt::CLng(Variant(Dec("2.5000000001"))), 3);
}

TEST(Conversion, CurrencyRoundsHalfToEvenAtFourDecimals) {
  EXPECT_EQ(rt::CCur(Variant(1.00005)).scaled, 10000);
  EXPECT_EQ(rt::CCur(Variant(1.00015)).scaled, 10002);
  EXPECT_EQ(rt::CCur(Variant(1.03125)).scaled, 10312);  // a double exactly on the half
  EXPECT_EQ(rt::CCur(Variant(-1.00015)).scaled, -10002);
  EXPECT_EQ(rt::CCur(Variant("0.00015")).scaled, 2);
  EXPECT_EQ(rt::CCur(Variant(Dec("1.23456"))).scaled, 12346);
  EXPECT_EQ(rt::CCur(Variant(0.1f)).scaled, 1000);
  EXPECT_EQ(rt::CCur(Variant(123456789012.3456)).scaled, 1234567890123456);
}

TEST(Conversion, OverflowAtTheBoundaries) {
  EXPECT_EQ(ErrorOf([] { rt::CInt(Variant(32767.5)); }), 6);
  EXPECT_EQ(rt::CInt(Variant(-32768.5)), -32768);
  EXPECT_EQ(ErrorOf([] { rt::CInt(Variant(-32768.51)); }), 6);
  EXPECT_EQ(ErrorOf([] { rt::CLng(Variant(2147483647.5)); }), 6);
  EXPECT_EQ(rt::CLng(Variant(-2147483648.5)), INT32_MIN);
  EXPECT_EQ(ErrorOf([] { rt::CLng(Variant(1e300)); }), 6);
  EXPECT_EQ(rt::CByte(Variant(-0.5)), 0);
  EXPECT_EQ(ErrorOf([] { rt::CByte(Variant(true)); }), 6);  // True is -1
  EXPECT_EQ(ErrorOf([] { rt::CSng(Variant(1e39)); }), 6);
  EXPECT_EQ(ErrorOf([] { rt::CCur(Variant(1e15)); }), 6);
  EXPECT_EQ(ErrorOf([] { rt::CCur(Variant("922337203685477.5808")); }), 6);
  EXPECT_EQ(rt::CCur(Variant("-922337203685477.5808")).scaled, INT64_MIN);
  EXPECT_EQ(ErrorOf([] { rt::CLng(Variant(Cur(INT64_MAX))); }), 6);
  EXPECT_EQ(ErrorOf([] { rt::CDate(Variant(3e6)); }), 6);
  EXPECT_EQ(ErrorOf([] { rt::CDec(Variant(1e29)); }), 6);
  EXPECT_EQ(ErrorOf([] { rt::CDbl(Variant("1e400")); }), 6);  // a number, too big: not 13
  EXPECT_EQ(rt::CDbl(Variant("1e-400")), 0);
  EXPECT_FALSE(rt::IsNumeric(Variant("1e400")));
  EXPECT_EQ(ErrorOf([] { rt::BankersRound(9223372036854775807.0, INT64_MIN, INT64_MAX); }), 6);
}

TEST(Conversion, MismatchesAndNull) {
  const std::vector<std::function<void()>> mismatches = {
      [] { rt::CLng(Variant("abc")); },
      [] { rt::CLng(Variant("True")); },  // only CBool reads True/False
      [] { rt::CDbl(Variant("")); },
      [] { rt::CCur(Variant("1.2.3")); },
      [] { rt::CBool(Variant("yes")); },
      [] { rt::CDate(Variant("2024-02-30")); },
      [] { rt::CLng(Variant::Missing()); },
      [] { rt::CLng(Variant(rt::SafeArray::From({}))); },
      [] { rt::CStr(Variant(rt::SafeArray::From({}))); },
  };
  for (size_t i = 0; i < mismatches.size(); ++i) EXPECT_EQ(ErrorOf(mismatches[i]), 13) << i;

  const Variant null = Variant::Null();
  const std::vector<std::function<void()>> nulls = {
      [&] { rt::CStr(null); },  [&] { rt::CInt(null); },  [&] { rt::CLng(null); },
      [&] { rt::CByte(null); }, [&] { rt::CSng(null); },  [&] { rt::CDbl(null); },
      [&] { rt::CCur(null); },  [&] { rt::CDec(null); },  [&] { rt::CDate(null); },
      [&] { rt::CBool(null); },
  };
  for (size_t i = 0; i < nulls.size(); ++i) EXPECT_EQ(ErrorOf(nulls[i]), 94) << i;
  EXPECT_EQ(rt::Concat(null), "");
  EXPECT_EQ(ErrorOf([] { rt::CStr(Variant::Nothing()); }), 91);
}

TEST(Conversion, EmptyAndBoolean) {
  EXPECT_EQ(rt::CLng(Variant()), 0);
  EXPECT_EQ(rt::CCur(Variant(true)).scaled, -10000);
  EXPECT_TRUE(rt::CBool(Variant(" tRUE ")));
  EXPECT_TRUE(rt::CBool(Variant("-0.5")));
  EXPECT_FALSE(rt::CBool(Variant(Cur(0))));
}

TEST(Conversion, TextOfEverySubtype) {
  const std::vector<std::pair<Variant, std::string>> cases = {
      {Variant(1e15), "1E+15"},
      {Variant(123456789012345.0), "123456789012345"},
      {Variant(1.5e-5), "1.5E-05"},
      {Variant(1.0 / 3), "0.333333333333333"},
      {Variant(-0.0), "0"},
      {Variant(0.1f), "0.1"},
      {Variant(1.0f / 3), "0.3333333"},
      {Variant(Cur(15000)), "1.5"},
      {Variant(Cur(-5)), "-0.0005"},
      {Variant(Dec("-12.3400")), "-12.34"},
      {Variant(true), "True"},
      {Variant(rt::Date::FromParts(2024, 3, 5, 14, 7, 9)), "2024-03-05 14:07:09"},
      {Variant::Missing(), "Error 448"},
      {Variant(std::make_shared<Field>(Variant(2.5))), "2.5"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(rt::CStr(value), text);
}

TEST(Conversion, ObjectsConvertThroughTheirDefaultMember) {
  const Variant field(std::make_shared<Field>(Variant("42")));
  EXPECT_EQ(rt::CLng(field), 42);
  EXPECT_FALSE(rt::VbEquals(field, Variant(42.0)));  // "42" is text: above any number
  EXPECT_TRUE(rt::VbEquals(field, Variant("42")));
  EXPECT_EQ(rt::Concat(Variant(std::make_shared<Field>(Variant::Null()))), "");
  EXPECT_TRUE(rt::IsDate(Variant(std::make_shared<Field>(Variant("2024-01-31")))));
  EXPECT_FALSE(rt::IsNumeric(Variant(std::make_shared<Field>(Variant::Null()))));
}

TEST(Conversion, IsNumericAndIsDate) {
  const std::vector<std::pair<Variant, bool>> numeric = {
      {Variant(), true},           {Variant::Null(), false},     {Variant(" -1e3 "), true},
      {Variant("&HFF"), true},     {Variant("1,000"), false},    {Variant(""), false},
      {Variant(true), true},       {Variant(rt::Date{1}), false}, {Variant::Missing(), false},
      {Variant(rt::SafeArray::From({})), false},
  };
  for (size_t i = 0; i < numeric.size(); ++i) {
    EXPECT_EQ(rt::IsNumeric(numeric[i].first), numeric[i].second) << i;
  }
  EXPECT_TRUE(rt::IsDate(Variant("2024-01-31")));
  EXPECT_FALSE(rt::IsDate(Variant("2024-02-30")));
  EXPECT_FALSE(rt::IsDate(Variant(45000.0)));
  EXPECT_FALSE(rt::IsNumeric(Variant::Nothing()));
}

// --- Comparison ---------------------------------------------------------

TEST(Comparison, MixedSubtypes) {
  struct Case {
    Variant a, b;
    int expected;
  };
  const std::vector<Case> cases = {
      {Variant(int16_t{5}), Variant(5.0), 0},
      {Variant(2), Variant(Cur(19999)), 1},
      {Variant(Cur(1000)), Variant(0.1), 0},  // the Double becomes a Currency
      {Variant(Cur(10000)), Variant(1.00001), 0},
      {Variant(Dec("0.1")), Variant(0.1), 0},
      {Variant(Dec("0.1000000000000000000001")), Variant(Cur(1000)), 1},
      {Variant(Dec("2147483647.0000000001")), Variant(INT32_MAX), 1},
      {Variant(0.1f), Variant(0.1), 0},  // the Double is rounded to Single
      {Variant(1e300), Variant(Cur(INT64_MAX)), 1},
      {Variant(10), Variant("9"), -1},  // a number is less than a text
      {Variant("10"), Variant(9), 1},
      {Variant(), Variant(0), 0},
      {Variant(), Variant(-1), 1},
      {Variant(), Variant("a"), -1},
      {Variant(true), Variant(-1), 0},
      {Variant(rt::Date{2.5}), Variant(2.5), 0},
      {Variant(uint8_t{200}), Variant(int16_t{-1}), 1},
      {Variant("a"), Variant("B"), 1},  // binary: "a" follows "B"
      {Variant("abc"), Variant("abcd"), -1},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(rt::Compare(cases[i].a, cases[i].b), cases[i].expected) << i;
    EXPECT_EQ(rt::Compare(cases[i].b, cases[i].a), -cases[i].expected) << i;
  }
}

TEST(Comparison, TextModeIgnoresCase) {
  const auto text = rt::CompareMode::Text;
  EXPECT_EQ(rt::Compare(Variant("a"), Variant("B"), text), -1);
  EXPECT_EQ(rt::Compare(Variant("ÉCOLE"), Variant("école"), text), 0);
  EXPECT_TRUE(rt::VbEquals(Variant("Abc"), Variant("aBC"), text));
  EXPECT_FALSE(rt::VbEquals(Variant("Abc"), Variant("aBC")));
}

TEST(Comparison, NullIsUnknown) {
  int result = 7;
  EXPECT_FALSE(rt::TryCompare(Variant::Null(), Variant(1), result));
  EXPECT_FALSE(rt::TryCompare(Variant(), Variant::Null(), result));
  EXPECT_EQ(result, 7);
  EXPECT_FALSE(rt::VbEquals(Variant::Null(), Variant::Null()));
  EXPECT_EQ(ErrorOf([] { rt::Compare(Variant("a"), Variant::Null()); }), 94);
  EXPECT_EQ(ErrorOf([] { rt::Compare(Variant(rt::SafeArray::From({})), Variant(1)); }), 13);
}

// --- Decimal ------------------------------------------------------------

TEST(Decimal, ParseAndPrint) {
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"1.50", "1.5"},
      {"-0.000", "0"},
      {" 12 ", "12"},
      {"+.5", "0.5"},
      {"1e3", "1000"},
      {"1.5E-3", "0.0015"},
      {"79228162514264337593543950335", "79228162514264337593543950335"},
      {"0.1234567890123456789012345678", "0.1234567890123456789012345678"},
      {"0.12345678901234567890123456785", "0.1234567890123456789012345678"},  // half even
      {"7922816251426433759354395033.45", "7922816251426433759354395033.4"},
      {"1e-40", "0"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(Dec(in).ToString(), out) << in;

  rt::Decimal d;
  for (const char* bad : {"", "abc", ".", "1e", "1.2.3", "--1", "1 2", "0x10"}) {
    EXPECT_FALSE(rt::Decimal::Parse(bad, d)) << bad;
  }
  EXPECT_EQ(ErrorOf([&] { rt::Decimal::Parse("79228162514264337593543950336", d); }), 6);
}

TEST(Decimal, DoublesAndCompareAcrossScales) {
  EXPECT_EQ(rt::Decimal::FromDouble(1.0 / 3).ToString(), "0.333333333333333");
  EXPECT_EQ(rt::Decimal::FromDouble(-1e20).ToString(), "-100000000000000000000");
  EXPECT_EQ(rt::CDec(Variant(Cur(12345))).ToString(), "1.2345");

  // Rounded to 15 significant digits as printf("%.14e") rounds them
  // (halfway cases included), 7 for a Single.
  for (const double d : {0.0, -0.0, 0.1, 2.5, 1e-28, 4.9e-324, 123456789012345678.0, 1.00000000000000050,
                         1.0000000000000049, 9.999999999999995e14, -0.30000000000000004, 67.226464, 1e28}) {
    char printed[40];
    std::snprintf(printed, sizeof printed, "%.14e", d);
    rt::Decimal expected;
    ASSERT_TRUE(rt::Decimal::Parse(printed, expected)) << printed;
    EXPECT_TRUE(rt::Decimal::FromDouble(d) == expected) << printed << " became " << rt::Decimal::FromDouble(d).ToString();
  }
  // Values of few decimals and doubles of every kind, against the same
  // rounding written out: the short way for the first must agree with it.
  std::mt19937_64 random(20261209);
  auto printedRounding = [](double d, int digits) {
    char printed[48];
    std::snprintf(printed, sizeof printed, "%.*e", digits - 1, d);
    rt::Decimal expected;
    rt::Decimal::Parse(printed, expected);
    return std::string(printed) + " = " + expected.ToString();
  };
  for (int i = 0; i < 200000; ++i) {
    double d;
    if (i % 2 == 0) {
      const int64_t whole = static_cast<int64_t>(random() % 2000000000000000) - 1000000000000000;
      d = static_cast<double>(whole) / std::pow(10.0, static_cast<int>(random() % 8));
    } else {
      const uint64_t bits = random();
      std::memcpy(&d, &bits, sizeof d);
      if (!std::isfinite(d) || std::fabs(d) >= 7.9e28) continue;
    }
    const std::string expected = printedRounding(d, 15);
    const std::string got = expected.substr(0, expected.find(" = ") + 3) + rt::Decimal::FromDouble(d).ToString();
    ASSERT_EQ(got, expected) << "double " << i;
  }
  for (int i = 0; i < 100000; ++i) {
    const float f = static_cast<float>(static_cast<int64_t>(random() % 20000000) - 10000000) /
                    static_cast<float>(std::pow(10.0, static_cast<int>(random() % 6)));
    const std::string expected = printedRounding(static_cast<double>(f), 7);
    const std::string got = expected.substr(0, expected.find(" = ") + 3) + rt::CDec(Variant(f)).ToString();
    ASSERT_EQ(got, expected) << "single " << i;
  }
  EXPECT_EQ(rt::CDec(Variant(0.1f)).ToString(), "0.1");
  EXPECT_EQ(rt::CDec(Variant(16777217.0f)).ToString(), "16777220");

  EXPECT_TRUE(Dec("1.50") == Dec("1.5"));
  EXPECT_EQ(Dec("-10").Compare(Dec("-9.99")), -1);
  EXPECT_EQ(Dec("79228162514264337593543950335").Compare(Dec("7.9228162514264337593543950335")), 1);
  EXPECT_EQ(Dec("0.0000000000000000000000000001").Compare(Dec("0")), 1);
}

// --- Text ---------------------------------------------------------------

TEST(Text, CountsAndMapsCharacters) {
  EXPECT_EQ(rt::Len("héllo"), 5);
  EXPECT_EQ(rt::UCase("straße à"), "STRAßE À");  // one character stays one character
  EXPECT_EQ(rt::LCase("ÉCOLE Ω"), "école ω");
  EXPECT_EQ(rt::Trim("  a b  "), "a b");
  EXPECT_EQ(rt::Trim("\ta "), "\ta");  // blanks only
  EXPECT_EQ(rt::TextCompare("Äpfel", "äPFEL"), 0);
  EXPECT_EQ(rt::TextCompare("b", "A"), 1);
}

}  // namespace
