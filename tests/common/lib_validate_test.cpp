// Tests of the data-object checks: the type table, presence, length,
// percentage, digit count and the credit-card checks (with public test card
// numbers), by the message codes they produce.
#include "common/lib_validate.h"

#include <gtest/gtest.h>

#include "interfaces/solvane.h"
#include "runtime/com_error.h"
#include "tests/common/golden.h"
#include "tests/common/raised_by.h"
#include "tests/common/suite_sandbox.h"
#include "tests/common/test_values.h"

namespace {

// The result's codes, "CODE:parameter" joined by " ", or "none".
std::string Codes(const rt::ObjectPtr& result) {
  const rt::Variant messages = std::dynamic_pointer_cast<IResultObject>(result)->GetMessages();
  std::string text;
  for (const rt::Variant& code : messages.AsArray().data) text += (text.empty() ? "" : " ") + rt::CStr(code);
  return text.empty() ? "none" : text;
}

class Checks : public ::testing::Test {
 protected:
  // The codes of Val_CreditCard for an office-like data object.
  static std::string Card(rt::Variant type, rt::Variant number, rt::Variant expiry) {
    auto office = DataObject({{"CREDITCARDTYPE", type}, {"CREDITCARDNUMBER", number}, {"CREDITCARDEXPIRY", expiry}});
    return Codes(Val_CreditCard(office, "CREDITCARDNUMBER", "CREDITCARDTYPE", "CREDITCARDEXPIRY"));
  }
  SuiteSandbox sandbox_;  // the result objects' component and the log
};

TEST_F(Checks, EachWrongTypeGivesOneCodeInTheDataObjectsOrderAndNullPasses) {
  const rt::Variant columns = Array({"FLAG", "SMALL", "RATIO", "COUNT", "ID", "SCALE", "NAME", "CREATED"});
  const rt::Variant types = Array({"Boolean", "Byte", "Double", "Integer", "Long", "Single", "String", "Date"});
  auto wrong = DataObject({{"NAME", 5},               // a number is no String
                           {"FLAG", true},            // right
                           {"ID", int16_t{7}},        // Integer is not Long
                           {"RATIO", int32_t{3}},     // a whole Long is no Double
                           {"COUNT", int32_t{3}},     // Long is not Integer
                           {"SMALL", rt::Variant()},  // Empty fails every test
                           {"SCALE", 1.5},            // Double is not Single
                           {"CREATED", "not a date"}, // Date is not tested
                           {"OTHER", rt::Variant()}});  // not in the table
  EXPECT_EQ(Codes(Val_DataTypes(wrong, columns, types)),
            "SLBBR9000:NAME SLBBR9000:ID SLBBR9000:RATIO SLBBR9000:COUNT SLBBR9000:SMALL SLBBR9000:SCALE");
  auto right = DataObject({{"FLAG", false}, {"SMALL", uint8_t{200}}, {"RATIO", 0.25}, {"COUNT", int16_t{3}},
                           {"ID", rt::Variant::Null()} /* Null passes */, {"SCALE", 1.5f}, {"NAME", ""}});
  EXPECT_EQ(Codes(Val_DataTypes(right, columns, types)), "none");
}

TEST(ValueChecks, PresenceLengthPercentageAndDigits) {
  auto d = DataObject({{"TEXT", " x "}, {"BLANKS", "   "}, {"NULL", rt::Variant::Null()}, {"EMPTY", rt::Variant()},
                       {"ZERO", 0}});
  // Per key: the flag not passed, true, false.
  Golden presence;
  for (const char* key : {"ABSENT", "TEXT", "BLANKS", "NULL", "EMPTY", "ZERO"}) {
    presence.Add(key, Golden()
                          .Add("default", Val_HasValue(d, key))
                          .Add("true", Val_HasValue(d, key, true))
                          .Add("false", Val_HasValue(d, key, false)));
  }
  EXPECT_EQ(presence.Lines(),
            "ABSENT: default=true true=false false=true\nTEXT: default=true true=true false=true\n"
            "BLANKS: default=false true=false false=false\nNULL: default=false true=false false=true\n"
            "EMPTY: default=false true=false false=true\nZERO: default=true true=true false=true\n");

  std::string accented;
  for (int i = 0; i < 255; ++i) accented += "é";
  auto texts = DataObject({{"OK", accented}, {"LONG", accented + "x"}, {"NUMBER", 123456}});
  EXPECT_TRUE(Val_MaxLength(texts, "OK", 255));  // characters, not bytes
  EXPECT_FALSE(Val_MaxLength(texts, "LONG", 255));
  EXPECT_FALSE(Val_MaxLength(texts, "NUMBER", 5));

  auto numbers = DataObject({{"ZERO", 0}, {"HUNDRED", 100.0}, {"TEXT", "12.5"}, {"OVER", 100.5}, {"NEGATIVE", -1},
                             {"WORD", "ten"}, {"NULL", rt::Variant::Null()},
                             {"DATE", rt::Variant(rt::CDate(rt::Variant("2003-07-04")))}});
  std::string percentages;
  for (const char* key : {"ZERO", "HUNDRED", "TEXT", "OVER", "NEGATIVE", "WORD", "NULL", "DATE", "ABSENT"}) {
    if (Val_IsPercentage(numbers, key)) percentages += std::string(key) + " ";
  }
  EXPECT_EQ(percentages, "ZERO HUNDRED TEXT NULL ABSENT ");

  auto phones = DataObject({{"ONE", "a1b"}, {"SPREAD", "+1 (x) 5"}, {"EMPTY", ""}, {"NULL", rt::Variant::Null()},
                            {"NUMBER", 42}});
  std::string required, optional;
  for (const char* key : {"ONE", "SPREAD", "EMPTY", "NULL", "NUMBER", "ABSENT"}) {
    if (Val_HasTwoDigits(phones, key, true)) required += std::string(key) + " ";
    if (Val_HasTwoDigits(phones, key, false)) optional += std::string(key) + " ";
  }
  EXPECT_EQ(required, "SPREAD NUMBER ABSENT ");
  EXPECT_EQ(optional, "SPREAD EMPTY NULL NUMBER ABSENT ");
}

constexpr int16_t kVisa = 0, kMasterCard = 1, kAmex = 2, kOther = 3;
const rt::Variant kNull = rt::Variant::Null();
const rt::Variant kExpiry = rt::Variant(rt::Date::FromParts(2001, 1, 31));  // a past date passes

TEST_F(Checks, CardTestNumbersPassAndEachNumberTestHasItsCode) {
  Golden seen;
  for (const auto& [type, number] : std::initializer_list<std::pair<int16_t, const char*>>{
           {kVisa, "4111111111111111"},
           {kMasterCard, "5555555555554444"},
           {kAmex, "378282246310005"},
           {kVisa, "4222222222222"},                   // 13 digits
           {kMasterCard, "555555555555444"},           // 15 digits
           {kMasterCard, "5655555555554444"},          // 56...
           {kMasterCard, "2223003122003222"},          // a 2-series number
           {kVisa, "\xEF\xBC\x94" "111111111111111"},  // a full-width digit, 16 characters
           {kVisa, "4111-11111111111"},
           {kVisa, "4111111111111112"},  // check digit
           {kAmex, "   "},
           {int16_t{5}, "no number at all"},  // no number tests
       }) {
    const char* kind = type == kVisa ? "Visa" : type == kMasterCard ? "MasterCard" : type == kAmex ? "Amex" : "type 5";
    seen.Add(std::string(kind) + " '" + number + "'", Card(type, number, kExpiry));
  }
  EXPECT_EQ(seen.Lines(),
            "Visa '4111111111111111': none\nMasterCard '5555555555554444': none\nAmex '378282246310005': none\n"
            "Visa '4222222222222': none\nMasterCard '555555555555444': SLBGE1100\n"
            "MasterCard '5655555555554444': SLBGE1102\nMasterCard '2223003122003222': SLBGE1102\n"
            "Visa '\xEF\xBC\x94" "111111111111111': SLBGE1101\nVisa '4111-11111111111': SLBGE1101\n"
            "Visa '4111111111111112': SLBGE1103\nAmex '   ': SLBGE1106\n"
            "type 5 'no number at all': none\n");
}

TEST_F(Checks, CardNumberAndExpiryPresenceByType) {
  EXPECT_EQ(Card(kOther, kNull, kNull), "none");
  EXPECT_EQ(Card(kOther, kNull, "not a date"), "SLBGE1108");
  EXPECT_EQ(Card(int16_t{5}, kNull, kNull), "SLBGE1104 SLBGE1105");  // not OTHER
  EXPECT_EQ(Card(kVisa, "4111111111111111", "2030-12-31"), "none");  // a text that reads as a date
  EXPECT_EQ(Card(kAmex, "1", "soon"), "SLBGE1108");                   // no number test after a failure
  EXPECT_EQ(Card(kNull, "1", "soon"), "none");                        // no type: nothing is looked at
  EXPECT_EQ(Card("2", "378282246310005", kExpiry), "none");          // a type given as number text
  EXPECT_EQ(RaisedBy([&] { Card("Visa", "4111111111111111", kExpiry); }).number(), rt::vberr::kTypeMismatch);

  // Absent keys read as never assigned and are not added.
  auto office = DataObject({{"CREDITCARDTYPE", kVisa}, {"CREDITCARDEXPIRY", kExpiry}});
  EXPECT_EQ(Codes(Val_CreditCard(office, "CREDITCARDNUMBER", "CREDITCARDTYPE", "CREDITCARDEXPIRY")), "SLBGE1106");
  EXPECT_FALSE(office->Exists("CREDITCARDNUMBER"));
}

}  // namespace
