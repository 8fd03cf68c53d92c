// Tests of component creation inside and outside a context, and the SQL
// literal conversions.
#include "common/lib_general.h"

#include <gtest/gtest.h>

#include "runtime/com_error.h"
#include "runtime/context.h"
#include "runtime/registry.h"
#include "tests/common/raised_by.h"
#include "tests/common/suite_sandbox.h"
#include "tests/data/test_database.h"

namespace {

// The block names the creation that failed: CreateObject outside a context,
// CreateInstance (with the note on classes made with New) inside one.
TEST(GenGetComponent, CreatesInTheCallersTransactionAndNamesTheFailedCreationInItsBlock) {
  SuiteSandbox sandbox;
  rt::Err().Clear();
  const std::string raw = RaisedBy([] { rt::CreateObject("Nowhere.Missing"); }).description();
  rt::ComError outside = RaisedBy([] { Gen_GetComponent("Nowhere.Missing"); });
  EXPECT_EQ(outside.number(), rt::hr::kInvalidClassString);
  EXPECT_EQ(outside.description(), "\r\nERROR 0x800401F3\r\n METHOD: Lib_General.Gen_GetComponent\r\n DESC: " +
                                       raw + ".\r\n INFO: CreateObject(Nowhere.Missing) failed.\r\n");
  EXPECT_EQ(sandbox.LogLines().size(), 1u);

  rt::RegisterClass({"TestGeneral.InContext", "", rt::TransactionAttribute::Required,
                     [] { return std::make_shared<rt::Object>(); }});
  auto caller = std::make_shared<testdb::ContextOwner>(true);
  rt::ContextScope scope(*caller);
  const std::string inside = RaisedBy([] { Gen_GetComponent("Nowhere.Missing"); }).description();
  rt::ObjectPtr created = Gen_GetComponent("TestGeneral.InContext");
  ASSERT_TRUE(created->Context());
  EXPECT_EQ(created->Context()->Stream(), caller->Context()->Stream());
  EXPECT_EQ(inside, "\r\nERROR 0x800401F3\r\n METHOD: Lib_General.Gen_GetComponent\r\n DESC: " + raw +
                        ".\r\n INFO: CreateInstance(Nowhere.Missing) failed.\r\n"
                        "Note: Objects having 'Instancing=PublicNotCreatable' may only be instantiated with "
                        "'New', not with Gen_GetComponent().\r\n");
}

// --- SQL literals and text forms ---------------------------------------------------------

TEST(GenSqlValue, LiteralsByType) {
  EXPECT_EQ(Gen_SqlValue(rt::Variant()), "null");
  EXPECT_EQ(Gen_SqlValue(rt::Variant::Null()), "null");
  EXPECT_EQ(Gen_SqlValue(rt::Variant("O'Brien")), "'O''Brien'");
  EXPECT_EQ(Gen_SqlValue(rt::Variant(true)), "1");
  EXPECT_EQ(Gen_SqlValue(rt::Variant(2.5)), "2.5");
  EXPECT_EQ(Gen_SqlValue(rt::Variant(rt::Currency::FromScaled(123456))), "12.3456");
  EXPECT_EQ(Gen_SqlValue(rt::Variant(rt::Date::FromParts(2003, 7, 4))), "'2003-07-04'");
  EXPECT_EQ(Gen_SqlValue(rt::Variant(rt::Date::FromParts(2003, 7, 4, 13, 5, 9))), "'2003-07-04 13:05:09'");
}

TEST(GenSqlQuoteAndEscapeLike, QuotesDoubledNothingAddedAndWildcardsBracketedAfterQuoting) {
  EXPECT_EQ(Gen_SqlQuote("''"), "''''");
  EXPECT_EQ(Gen_SqlQuote(rt::Variant::Null()), "");
  EXPECT_EQ(Gen_SqlEscapeLike("O'Brien_%"), "O''Brien[_][%]");
  EXPECT_EQ(Gen_SqlEscapeLike("[%]"), "[[][%]]");
}

TEST(GenTextForms, UsDatesWithoutLeadingZerosAndNullAsEmptyText) {
  EXPECT_EQ(Gen_FormatUSDate(rt::Variant(rt::Date::FromParts(2003, 7, 4, 23, 59, 0))), "7/4/2003");
  EXPECT_EQ(Gen_FormatUSDate(rt::Variant("no date")), "");
  for (auto convert : {&Gen_NullToEmpty, &Gen_NullToString}) {
    EXPECT_EQ(convert(rt::Variant::Null()), "");
    EXPECT_EQ(convert(rt::Variant(true)), "True");
  }
}

}  // namespace
