// Tests of the credit-card checks: presence of number and expiry, the date
// test, and length, characters, leading digits and check digit of the known
// card types, with public test card numbers.
#include <gtest/gtest.h>

#include "common/lib_validate.h"
#include "interfaces/solvane.h"
#include "runtime/com_error.h"
#include "tests/common/raised_by.h"
#include "tests/common/suite_sandbox.h"
#include "tests/common/test_values.h"

namespace {

class CardChecks : public ::testing::Test {
 protected:
  // The codes of Val_CreditCard for an office-like data object, joined by " ",
  // or "none".
  static std::string Check(rt::Variant type, rt::Variant number, rt::Variant expiry) {
    auto office = DataObject({{"CREDITCARDTYPE", type}, {"CREDITCARDNUMBER", number}, {"CREDITCARDEXPIRY", expiry}});
    return Codes(Val_CreditCard(office, "CREDITCARDNUMBER", "CREDITCARDTYPE", "CREDITCARDEXPIRY"));
  }
  static std::string Codes(const rt::ObjectPtr& result) {
    const rt::Variant messages = std::dynamic_pointer_cast<IResultObject>(result)->GetMessages();
    std::string text;
    for (const rt::Variant& code : messages.AsArray().data) text += (text.empty() ? "" : " ") + rt::CStr(code);
    return text.empty() ? "none" : text;
  }

  SuiteSandbox sandbox_;  // the result objects' component
};

constexpr int16_t kVisa = 0, kMasterCard = 1, kAmex = 2, kOther = 3;
const rt::Variant kNull = rt::Variant::Null();
const rt::Variant kExpiry = rt::Variant(rt::Date::FromParts(2001, 1, 31));  // a past date passes

TEST_F(CardChecks, PublicTestNumbersPassAndEachNumberTestHasItsCode) {
  std::string seen;
  for (const auto& [type, number] : std::initializer_list<std::pair<int16_t, const char*>>{
           {kVisa, "4111111111111111"},
           {kMasterCard, "5555555555554444"},
           {kAmex, "378282246310005"},
           {kVisa, "4222222222222"},                                  // 13 digits
           {kMasterCard, "555555555555444"},                          // 15 digits
           {kMasterCard, "5655555555554444"},                         // 56...
           {kMasterCard, "2223003122003222"},                         // a 2-series number
           {kVisa, "\xEF\xBC\x94" "111111111111111"},                 // a full-width digit, 16 characters
           {kVisa, "4111-11111111111"},
           {kVisa, "4111111111111112"},                               // check digit
           {kAmex, "   "},
           {int16_t{5}, "no number at all"},                          // no number tests
       }) {
    seen += Check(type, number, kExpiry) + "\n";
  }
  EXPECT_EQ(seen,
            "none\nnone\nnone\nnone\nSLBGE1100\nSLBGE1102\nSLBGE1102\nSLBGE1101\nSLBGE1101\nSLBGE1103\nSLBGE1106\n"
            "none\n");
}

TEST_F(CardChecks, NumberAndExpiryPresenceByType) {
  EXPECT_EQ(Check(kOther, kNull, kNull), "none");
  EXPECT_EQ(Check(kOther, kNull, "not a date"), "SLBGE1108");
  EXPECT_EQ(Check(kVisa, kNull, kNull), "SLBGE1104 SLBGE1105");
  EXPECT_EQ(Check(int16_t{5}, kNull, kNull), "SLBGE1104 SLBGE1105");  // not OTHER
  EXPECT_EQ(Check(kVisa, "4111111111111111", "2030-12-31"), "none");  // a text that reads as a date
  EXPECT_EQ(Check(kAmex, "1", "soon"), "SLBGE1108");                   // no number test after a failure
  EXPECT_EQ(Check(kNull, "1", "soon"), "none");                        // no type: nothing is looked at
  EXPECT_EQ(Check("2", "378282246310005", kExpiry), "none");          // a type given as number text

  // Absent keys read as never assigned and are not added.
  auto office = DataObject({{"CREDITCARDTYPE", kVisa}});
  EXPECT_EQ(Codes(Val_CreditCard(office, "CREDITCARDNUMBER", "CREDITCARDTYPE", "CREDITCARDEXPIRY")), "SLBGE1108");
  office->Add("CREDITCARDEXPIRY", kExpiry);
  EXPECT_EQ(Codes(Val_CreditCard(office, "CREDITCARDNUMBER", "CREDITCARDTYPE", "CREDITCARDEXPIRY")), "SLBGE1106");
  EXPECT_FALSE(office->Exists("CREDITCARDNUMBER"));

  rt::ComError e = RaisedBy([&] { Check("Visa", "4111111111111111", kExpiry); });
  EXPECT_EQ(e.number(), rt::vberr::kTypeMismatch);
}

TEST(CardHelpers, LengthsCountCharactersAndTheCheckDigitNeedsDigits) {
  EXPECT_TRUE(Val_CardNumberLength(kAmex, "\xEF\xBC\x93" "78282246310005"));  // 15 characters, 17 bytes
  EXPECT_FALSE(Val_CardNumberLength(kOther, "4111111111111111"));
  EXPECT_TRUE(Val_IsUncheckedCardType(kOther) && Val_IsUncheckedCardType(-1) && !Val_IsUncheckedCardType(kAmex));
  EXPECT_TRUE(Val_IsMissingCardNumber(rt::Variant()) && Val_IsMissingCardNumber(kNull) &&
              Val_IsMissingCardNumber(" ") && !Val_IsMissingCardNumber("0"));
  EXPECT_TRUE(Val_CardNumberPrefix(kAmex, "34") && Val_CardNumberPrefix(kMasterCard, "51") &&
              !Val_CardNumberPrefix(kMasterCard, "50") && !Val_CardNumberPrefix(kVisa, ""));
  EXPECT_TRUE(Val_LuhnCheck("79927398713"));
  EXPECT_FALSE(Val_LuhnCheck("79927398710"));
  EXPECT_EQ(RaisedBy([] { Val_LuhnCheck("7992739871x"); }).number(), rt::vberr::kTypeMismatch);
}

}  // namespace
