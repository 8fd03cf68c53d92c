// Tests of the data-object checks: the type table, presence, length,
// percentage and digit count, and the message codes they produce.
#include "common/lib_validate.h"

#include <gtest/gtest.h>

#include <functional>

#include "interfaces/solvane.h"
#include "runtime/com_error.h"
#include "tests/common/suite_sandbox.h"
#include "tests/common/test_values.h"

namespace {

// The result's codes, "CODE:parameter" joined by " ", or "succeeded".
std::string Codes(const rt::ObjectPtr& result) {
  auto outcome = std::dynamic_pointer_cast<IResultObject>(result);
  if (outcome->Succeeded()) return "succeeded";
  std::string text;
  const rt::Variant messages = outcome->GetMessages();
  for (const rt::Variant& code : messages.AsArray().data) text += (text.empty() ? "" : " ") + rt::CStr(code);
  return text;
}

const rt::Variant kColumns = Array({"FLAG", "SMALL", "RATIO", "COUNT", "ID", "SCALE", "NAME", "CREATED"});
const rt::Variant kTypes = Array({"Boolean", "Byte", "Double", "Integer", "Long", "Single", "String", "Date"});

class DataTypes : public ::testing::Test {
  SuiteSandbox sandbox_;  // the result objects' component and the log
};

TEST_F(DataTypes, EachWrongKeyGivesOneCodeInTheDataObjectsOrder) {
  auto wrong = DataObject({{"NAME", 5},                                  // a number is no String
                           {"FLAG", true},                               // right
                           {"ID", int16_t{7}},                           // Integer is not Long
                           {"RATIO", int32_t{3}},                        // a whole Long is no Double
                           {"COUNT", int32_t{3}},                        // Long is not Integer
                           {"SMALL", rt::Variant()},                     // Empty fails every test
                           {"SCALE", 1.5},                               // Double is not Single
                           {"CREATED", "not a date"},                    // Date is not tested
                           {"OTHER", rt::Variant()},                     // not in the table
                           {"METAObjectID", "BPDataObject"}});
  EXPECT_EQ(Codes(Val_DataTypes(wrong, kColumns, kTypes)),
            "SLBBR9000:NAME SLBBR9000:ID SLBBR9000:RATIO SLBBR9000:COUNT SLBBR9000:SMALL SLBBR9000:SCALE");

  auto right = DataObject({{"FLAG", false},
                           {"SMALL", uint8_t{200}},
                           {"RATIO", 0.25},
                           {"COUNT", int16_t{3}},
                           {"ID", int32_t{7}},
                           {"SCALE", 1.5f},
                           {"NAME", ""},
                           {"CREATED", rt::Variant()}});
  EXPECT_EQ(Codes(Val_DataTypes(right, kColumns, kTypes)), "succeeded");
  // Null passes every test.
  auto nulls = DataObject({});
  for (const rt::Variant& column : kColumns.AsArray().data) nulls->Add(column, rt::Variant::Null());
  EXPECT_EQ(Codes(Val_DataTypes(nulls, kColumns, kTypes)), "succeeded");
  EXPECT_EQ(Codes(Val_DataTypes(DataObject({{"METAObjectID", 1}}), kColumns, kTypes)), "succeeded");
}

TEST_F(DataTypes, EveryTypeTestAcceptsItsOwnTypeAndNullOnly) {
  using Test = std::function<bool(const std::shared_ptr<rt::Dictionary>&, const rt::Variant&)>;
  const std::vector<std::pair<Test, std::string>> tests = {
      {Val_IsBoolean, "Boolean"}, {Val_IsByte, "Byte"},     {Val_IsDouble, "Double"},
      {Val_IsInteger, "Integer"}, {Val_IsLong, "Long"},     {Val_IsSingle, "Single"},
      {Val_IsString, "String"}};
  const std::vector<rt::Variant> values = {true,        uint8_t{1}, 1.0,     int16_t{1},
                                           int32_t{1},  1.0f,       "1",     rt::Variant(rt::CCur(rt::Variant(1))),
                                           rt::Variant()};
  for (const auto& [test, accepted] : tests) {
    std::string passed;
    for (const rt::Variant& value : values) {
      if (test(DataObject({{"K", value}}), "K")) passed += rt::TypeName(value) + " ";
    }
    EXPECT_EQ(passed, accepted + " ") << accepted;
    EXPECT_TRUE(test(DataObject({{"K", rt::Variant::Null()}}), "K")) << accepted;
    EXPECT_TRUE(test(DataObject({{"K", rt::Variant()}}), "k")) << accepted;  // keys compare exactly: absent
  }
}

TEST(ValGetTypeName, FindsTheFirstExactNameAndAnswersEmptyTextOtherwise) {
  const rt::Variant names = Array({"NAME", "CODE", "NAME"});
  const rt::Variant types = Array({"String", "Long", "Integer"});
  EXPECT_EQ(Val_GetTypeName("NAME", names, types), "String");
  EXPECT_EQ(Val_GetTypeName("CODE", names, types), "Long");
  EXPECT_EQ(Val_GetTypeName("code", names, types), "");
  EXPECT_EQ(Val_GetTypeName("NAME", Array({}), Array({})), "");
}

TEST(ValHasValue, FollowsTheRequiredFlag) {
  auto d = DataObject({{"TEXT", " x "}, {"BLANKS", "   "}, {"NULL", rt::Variant::Null()}, {"EMPTY", rt::Variant()},
                       {"ZERO", 0}, {"FALSE", false}});
  // Rows: key; columns: flag not passed, true, false.
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"ABSENT", "T F T"}, {"TEXT", "T T T"}, {"BLANKS", "F F F"}, {"NULL", "F F T"},
      {"EMPTY", "F F T"},  {"ZERO", "T T T"}, {"FALSE", "T T T"}};
  for (const auto& [key, row] : expected) {
    std::string got;
    got += Val_HasValue(d, key) ? "T" : "F";
    got += Val_HasValue(d, key, true) ? " T" : " F";
    got += Val_HasValue(d, key, false) ? " T" : " F";
    EXPECT_EQ(got, row) << key;
  }
}

TEST(ValMaxLength, CountsCharactersOfTheValuesText) {
  std::string accented;
  for (int i = 0; i < 255; ++i) accented += "é";
  auto d = DataObject({{"OK", accented}, {"LONG", accented + "x"}, {"NUMBER", 123456}, {"NULL", rt::Variant::Null()}});
  EXPECT_TRUE(Val_MaxLength(d, "OK", 255));
  EXPECT_FALSE(Val_MaxLength(d, "LONG", 255));
  EXPECT_FALSE(Val_MaxLength(d, "NUMBER", 5));
  EXPECT_TRUE(Val_MaxLength(d, "NUMBER", 6));
  EXPECT_TRUE(Val_MaxLength(d, "NULL", 0));
  EXPECT_TRUE(Val_MaxLength(d, "ABSENT", 0));
}

TEST(ValIsPercentage, AcceptsNumbersFromZeroToHundred) {
  auto d = DataObject({{"ZERO", 0},      {"HUNDRED", 100.0}, {"TEXT", "12.5"},  {"OVER", 100.5},
                       {"NEGATIVE", -1}, {"WORD", "ten"},     {"NULL", rt::Variant::Null()},
                       {"DATE", rt::Variant(rt::CDate(rt::Variant("2003-07-04")))}});
  std::string passed;
  for (const char* key : {"ZERO", "HUNDRED", "TEXT", "OVER", "NEGATIVE", "WORD", "NULL", "DATE", "ABSENT"}) {
    if (Val_IsPercentage(d, key)) passed += std::string(key) + " ";
  }
  EXPECT_EQ(passed, "ZERO HUNDRED TEXT NULL ABSENT ");
}

TEST(ValHasTwoDigits, CountsDigitsAnywhereInTheText) {
  auto d = DataObject({{"ONE", "a1b"},  {"HYPHEN", "1-2"}, {"SPREAD", "+1 (x) 5"}, {"EMPTY", ""},
                       {"NULL", rt::Variant::Null()}, {"NUMBER", 42}, {"BLANK", " "}});
  std::string required, optional;
  for (const char* key : {"ONE", "HYPHEN", "SPREAD", "EMPTY", "NULL", "NUMBER", "BLANK", "ABSENT"}) {
    if (Val_HasTwoDigits(d, key, true)) required += std::string(key) + " ";
    if (Val_HasTwoDigits(d, key, false)) optional += std::string(key) + " ";
  }
  EXPECT_EQ(required, "HYPHEN SPREAD NUMBER ABSENT ");
  EXPECT_EQ(optional, "HYPHEN SPREAD EMPTY NULL NUMBER ABSENT ");
}

}  // namespace
