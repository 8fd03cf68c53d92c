// Tests of component creation inside and outside a context, and the SQL
// literal conversions.
#include "common/lib_general.h"

#include <gtest/gtest.h>

#include "runtime/com_error.h"
#include "runtime/context.h"
#include "runtime/dispatch.h"
#include "runtime/registry.h"
#include "tests/common/suite_sandbox.h"

namespace {

// A transactional class whose methods run the test's code inside its context.
class InContext : public rt::Object {
 public:
  const rt::DispatchTable* Dispatch() const override {
    static const rt::DispatchTable table =
        rt::DispatchBuilder<InContext>("InContext").Method("Run", &InContext::Run).Build();
    return &table;
  }
  void Run() { body(); }
  static inline std::function<void()> body;
};

void RegisterTestClasses() {
  rt::RegisterClass({"TestGeneral.InContext", "", rt::TransactionAttribute::Required,
                     [] { return rt::ObjectPtr(std::make_shared<InContext>()); }});
}

// Runs `body` inside a method of a new root object that requires a transaction.
void RunInContext(std::function<void()> body) {
  RegisterTestClasses();
  InContext::body = std::move(body);
  rt::ObjectPtr root =
      rt::CreateRootObject("TestGeneral.InContext", std::make_shared<rt::Activity>());
  root->Call("Run");
}

std::string CreationErrorText(const std::string& progId) {
  try {
    rt::CreateObject(progId);
  } catch (const rt::ComError& e) {
    return e.description();
  }
  return {};
}

class GenGetComponent : public ::testing::Test {
 protected:
  void SetUp() override { rt::Err().Clear(); }
  SuiteSandbox sandbox;
};

TEST_F(GenGetComponent, OutsideAContextAnUnknownProgIdNamesCreateObject) {
  const std::string raw = CreationErrorText("Nowhere.Missing");
  try {
    Gen_GetComponent("Nowhere.Missing");
    FAIL() << "nothing was raised";
  } catch (const rt::ComError& e) {
    EXPECT_EQ(e.number(), rt::hr::kInvalidClassString);
    EXPECT_EQ(e.description(), "\r\nERROR 0x800401F3\r\n METHOD: Lib_General.Gen_GetComponent\r\n DESC: " +
                                   raw + ".\r\n INFO: CreateObject(Nowhere.Missing) failed.\r\n");
  }
  ASSERT_EQ(sandbox.LogLines().size(), 1u);
}

TEST_F(GenGetComponent, InsideAContextAnUnknownProgIdNamesCreateInstanceWithTheNote) {
  const std::string raw = CreationErrorText("Nowhere.Missing");
  std::string description;
  RunInContext([&] {
    try {
      Gen_GetComponent("Nowhere.Missing");
    } catch (const rt::ComError& e) {
      description = e.description();
    }
  });
  EXPECT_EQ(description,
            "\r\nERROR 0x800401F3\r\n METHOD: Lib_General.Gen_GetComponent\r\n DESC: " + raw +
                ".\r\n INFO: CreateInstance(Nowhere.Missing) failed.\r\n"
                "Note: Objects having 'Instancing=PublicNotCreatable' may only be instantiated with "
                "'New', not with Gen_GetComponent().\r\n");
}

TEST_F(GenGetComponent, InsideAContextTheNewObjectJoinsTheCallersTransaction) {
  std::shared_ptr<rt::TransactionStream> callers, created;
  RunInContext([&] {
    callers = rt::GetObjectContext()->Stream();
    rt::ObjectPtr object = Gen_GetComponent("TestGeneral.InContext");
    ASSERT_TRUE(object->Context());
    created = object->Context()->Stream();
  });
  ASSERT_TRUE(callers);
  EXPECT_EQ(created, callers);
}

// --- SQL literals ----------------------------------------------------------------------

TEST(GenSqlValue, LiteralsByType) {
  EXPECT_EQ(Gen_SqlValue(rt::Variant()), "null");
  EXPECT_EQ(Gen_SqlValue(rt::Variant::Null()), "null");
  EXPECT_EQ(Gen_SqlValue(rt::Variant("O'Brien")), "'O''Brien'");
  EXPECT_EQ(Gen_SqlValue(rt::Variant(true)), "1");
  EXPECT_EQ(Gen_SqlValue(rt::Variant(false)), "0");
  EXPECT_EQ(Gen_SqlValue(rt::Variant(int16_t{-7})), "-7");
  EXPECT_EQ(Gen_SqlValue(rt::Variant(2.5)), "2.5");
  EXPECT_EQ(Gen_SqlValue(rt::Variant(rt::Currency::FromScaled(123456))), "12.3456");
  EXPECT_EQ(Gen_SqlValue(rt::Variant(rt::Date::FromParts(2003, 7, 4))), "'2003-07-04'");
  EXPECT_EQ(Gen_SqlValue(rt::Variant(rt::Date::FromParts(2003, 7, 4, 13, 5, 9))),
            "'2003-07-04 13:05:09'");
}

TEST(GenSqlQuoteAndEscapeLike, QuotesDoubledNothingAddedAndWildcardsBracketedAfterQuoting) {
  EXPECT_EQ(Gen_SqlQuote("''"), "''''");
  EXPECT_EQ(Gen_SqlQuote(rt::Variant::Null()), "");
  EXPECT_EQ(Gen_SqlEscapeLike("50%_[a]"), "50[%][_][[]a]");
  EXPECT_EQ(Gen_SqlEscapeLike("O'Brien_%"), "O''Brien[_][%]");
  EXPECT_EQ(Gen_SqlEscapeLike("[%]"), "[[][%]]");
}

TEST(GenFormatUSDate, MonthDayYearWithoutLeadingZeros) {
  EXPECT_EQ(Gen_FormatUSDate(rt::Variant(rt::Date::FromParts(2003, 7, 4))), "7/4/2003");
  EXPECT_EQ(Gen_FormatUSDate(rt::Variant(rt::Date::FromParts(2003, 12, 31, 23, 59, 0))), "12/31/2003");
  EXPECT_EQ(Gen_FormatUSDate(rt::Variant("no date")), "");
}

TEST(GenNullToText, NullAndEmptyGiveEmptyTextAndOtherValuesTheirRegionalText) {
  for (auto convert : {&Gen_NullToEmpty, &Gen_NullToString}) {
    EXPECT_EQ(convert(rt::Variant::Null()), "");
    EXPECT_EQ(convert(rt::Variant()), "");
    EXPECT_EQ(convert(rt::Variant("  x ")), "  x ");
    EXPECT_EQ(convert(rt::Variant(true)), "True");
    EXPECT_EQ(convert(rt::Variant(rt::Date::FromParts(2003, 7, 4))), "2003-07-04");
  }
}

}  // namespace
