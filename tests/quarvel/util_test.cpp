// Util: date checks through the per-thread date parser, and the block each
// of its procedures adds to a failure.
#include "quarvel/services/util.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/common/raised_by.h"
#include "tests/common/suite_sandbox.h"
#include "tests/quarvel/quarvel_probe.h"

namespace {

using quarveltest::Block;

class Util : public ::testing::Test {
 protected:
  void SetUp() override { rt::Err().Clear(); }
  SuiteSandbox sandbox_;
};

TEST_F(Util, DatesAreCheckedInTheLocaleAskedByAParserCreatedOncePerThread) {
  int32_t uk = 2057;
  Golden valid;
  valid.Add("US 7/4/2003", quarvel::IsValidUSDate("7/4/2003")).Add("US 13/4/2003", quarvel::IsValidUSDate("13/4/2003"));
  valid.Add("UK 13/4/2003", quarvel::IsValidDate("13/4/2003", uk));
  EXPECT_EQ(valid.Line(), "US 7/4/2003=true US 13/4/2003=false UK 13/4/2003=true");
  EXPECT_TRUE(sandbox_.LogLines().empty());
  rt::ObjectPtr first = quarvel::GetDataFunctions();
  EXPECT_EQ(first->TypeName(), "DataFunctions");
  EXPECT_EQ(quarvel::GetDataFunctions(), first);
  quarveltest::OnFreshThread([&] { EXPECT_NE(quarvel::GetDataFunctions(), first); });
}

// The answers kept for texts read again: each text its own, in any order,
// with a third text pushing the oldest out.
TEST_F(Util, USDatesReadAgainGetTheirOwnAnswers) {
  const char* texts[] = {"7/4/2003", "13/4/2003", "7/4/2003", "12/31/2026", "13/4/2003", "7/4/2003", "", "7/4/2003"};
  Golden answers;
  for (const char* text : texts) answers.Add(text, Golden::Value(quarvel::ParsedDate(text, 1033)));
  EXPECT_EQ(answers.Line(),
            "7/4/2003=Date:2003-07-04 13/4/2003=Null 7/4/2003=Date:2003-07-04 12/31/2026=Date:2026-12-31 "
            "13/4/2003=Null 7/4/2003=Date:2003-07-04 =Null 7/4/2003=Date:2003-07-04");
}

// A locale the parser does not know fails inside the parser: one block, the
// run-time error named after the catalog library that called it.
TEST_F(Util, AParserFailureIsRaisedWithTheCheckingProceduresBlock) {
  quarveltest::AsCatalogCode([] {
    int32_t unknown = 99999;
    rt::ComError e = RaisedBy([&] { quarvel::IsValidDate("1/1/2000", unknown); });
    EXPECT_EQ(Golden().Add("number", e.number()).Add("source", e.source()).Add("description", e.description()).Lines(),
              "number: 5\nsource: Quarvel\ndescription:\n" +
                  Block("5", "Quarvel.UtilIsValidDate", "Invalid procedure call or argument"));
  });
  EXPECT_EQ(sandbox_.LogLines().size(), 1u);
}

// A parser that cannot be created fails through all three procedures, each
// adding its block and its log entry.
TEST_F(Util, ACreationFailureCarriesOneBlockPerProcedure) {
  // The registration file without the parser's library.
  const std::string registry = sandbox_.Dir() + "/components.reg";
  {
    std::ifstream in(rt::RegistrationFilePath());
    std::ofstream out(registry);
    for (std::string line; std::getline(in, line);)
      if (line.find(quarvel::kDataFunctionsClsid) == std::string::npos) out << line << '\n';
  }
  ::setenv("SUITE_REGISTRY", registry.c_str(), 1);
  rt::ComError e(0, "", "");
  quarveltest::OnFreshThread([&] { e = RaisedBy([] { quarvel::IsValidUSDate("1/1/2000"); }); });
  ::unsetenv("SUITE_REGISTRY");
  const std::string created = Block("800401F3", "Quarvel.UtilGetDataFunctions",
                                    std::string("Invalid class string: ") + quarvel::kDataFunctionsClsid);
  EXPECT_EQ(e.number(), static_cast<int32_t>(0x800401F3));
  EXPECT_EQ(e.description(),
            Block("800401F3", "Quarvel.UtilIsValidUSDate", Block("800401F3", "Quarvel.UtilIsValidDate", created)));
  EXPECT_EQ(sandbox_.LogLines().size(), 3u);
}

}  // namespace
