// Tests of "Solvane.ResultObject": codes, merging and record values.
#include <gtest/gtest.h>

#include "interfaces/solvane.h"
#include "runtime/com_error.h"
#include "runtime/registry.h"

namespace {

std::shared_ptr<IResultObject> NewResult(rt::ObjectPtr& object) {
  object = rt::CreateObject("Solvane.ResultObject");
  return std::dynamic_pointer_cast<IResultObject>(object);
}

std::string Messages(IResultObject& result) {
  std::string text;
  rt::Variant messages = result.GetMessages();
  const rt::SafeArray& a = messages.AsArray();
  for (int32_t i = a.LBound(); i <= a.UBound(); ++i) text += "[" + rt::CStr(a.At(i)) + "]";
  return text;
}

TEST(ResultObject, CodesKeepTheirOrderAndParametersAndMarkFailureButRecordValuesDoNot) {
  rt::ObjectPtr object;
  auto result = NewResult(object);
  ASSERT_TRUE(result);
  object->Call("AddRecordValue", {rt::Variant("BUSINESSPARTNERID"), rt::Variant(int32_t{17})});
  result->AddRecordValue("ADDRESSID", rt::Variant(int32_t{4}));
  result->AddRecordValue("ADDRESSID", rt::Variant(int32_t{5}));
  EXPECT_TRUE(result->Succeeded());
  auto values = std::dynamic_pointer_cast<rt::Dictionary>(object->Call("GetRecordValues").AsObject());
  ASSERT_TRUE(values);
  EXPECT_EQ(values->Count(), 2);
  EXPECT_EQ(rt::CLng(values->Item(rt::Variant("ADDRESSID"))), 5);

  result->AddMessage(rt::Variant("SLBBR1008"));
  result->AddMessageWithParameter(rt::Variant("SLBBR9000"), rt::Variant("CURRENCYCODE"));
  EXPECT_FALSE(rt::CBool(object->GetProperty("Succeeded")));
  EXPECT_EQ(Messages(*result), "[SLBBR1008][SLBBR9000:CURRENCYCODE]");
}

TEST(ResultObject, MergeAddsTheOthersCodesAndFailureButNotItsRecordValues) {
  rt::ObjectPtr mineObject, otherObject, emptyObject;
  auto mine = NewResult(mineObject);
  auto other = NewResult(otherObject);
  auto empty = NewResult(emptyObject);

  mine->Merge(emptyObject);
  EXPECT_TRUE(mine->Succeeded());

  mine->AddMessage(rt::Variant("A"));
  other->AddMessageWithParameter(rt::Variant("SLBBR9000"), rt::Variant("RATE"));
  other->AddMessage(rt::Variant("B"));
  other->AddRecordValue("ADDRESSID", rt::Variant(int32_t{5}));
  mineObject->Call("Merge", {rt::Variant(otherObject)});
  EXPECT_EQ(Messages(*mine), "[A][SLBBR9000:RATE][B]");
  EXPECT_EQ(mine->GetRecordValues()->Count(), 0);

  empty->Merge(otherObject);
  EXPECT_FALSE(empty->Succeeded());
}

}  // namespace
