// The COM error, VB's error texts and trapping failures into the pending error.
#include "runtime/com_error.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <thread>

namespace {

TEST(VbErrorText, VbsOwnTexts) {
  std::string texts;
  for (int32_t number : {5, 7, 9, 13, 75, 91, 94, 424, 438, 449, 450, 457, 32811, 1000}) {
    texts += std::to_string(number) + " " + rt::VbErrorText(number) + "\n";
  }
  EXPECT_EQ(texts,
            "5 Invalid procedure call or argument\n7 Out of memory\n9 Subscript out of range\n13 Type mismatch\n"
            "75 Path/File access error\n"
            "91 Object variable or With block variable not set\n94 Invalid use of Null\n424 Object required\n"
            "438 Object doesn't support this property or method\n449 Argument not optional\n"
            "450 Wrong number of arguments or invalid property assignment\n"
            "457 This key is already associated with an element of this collection\n32811 Element not found\n"
            "1000 Application-defined or object-defined error\n");
}

// Runs f and traps what it throws, as a method's handler does.
template <class F>
rt::PendingError Trapped(F f) {
  rt::Err().Clear();
  try {
    f();
  } catch (...) {
    rt::TrapError();
  }
  return rt::Err();
}

TEST(TrapError, KeepsAComErrorsFiveValues) {
  const auto e = Trapped(
      [] { rt::Raise(-2147221403, "Brintor.Currency", "MissingCurrencyCode", "help.chm", 12); });
  EXPECT_EQ(e.number, -2147221403);
  EXPECT_EQ(e.source, "Brintor.Currency");
  EXPECT_EQ(e.description, "MissingCurrencyCode");
  EXPECT_EQ(e.helpFile, "help.chm");
  EXPECT_EQ(e.helpContext, 12);

  const auto vb = Trapped([] { rt::RaiseVb(rt::vberr::kDivisionByZero, "Quarvel"); });
  EXPECT_EQ(vb.description, "Division by zero");
  EXPECT_EQ(vb.source, "Quarvel");
  // Only a run-time error is named after the running component, where it is
  // raised; a handler trapping an error never fills its source.
  EXPECT_EQ(Trapped([] { rt::Raise(-1, "", "Invalid Arguments"); }).source, "");
}

TEST(TrapError, OtherExceptionsBecomeComErrors) {
  const auto memory = Trapped([] { throw std::bad_alloc(); });
  EXPECT_EQ(memory.number, 7);
  EXPECT_EQ(memory.description, "Out of memory");

  const auto standard = Trapped([] { throw std::runtime_error("disk full"); });
  EXPECT_EQ(standard.number, static_cast<int32_t>(0x8000FFFF));
  EXPECT_EQ(standard.description, "Unexpected failure: disk full");

  const auto unknown = Trapped([] { throw 42; });
  EXPECT_EQ(unknown.number, static_cast<int32_t>(0x8000FFFF));
  EXPECT_EQ(unknown.description, "Unexpected failure");
}

TEST(TrapError, PendingErrorRaisesAgainAndBelongsToItsThread) {
  Trapped([] { rt::Raise(1234, "src", "desc"); });
  rt::TrapError();  // outside a catch block: no change
  EXPECT_EQ(rt::Err().number, 1234);

  int32_t seenByOtherThread = -1;
  std::thread([&] { seenByOtherThread = rt::Err().number; }).join();
  EXPECT_EQ(seenByOtherThread, 0);

  try {
    rt::Err().RaiseAgain();
    FAIL();
  } catch (const rt::ComError& e) {
    EXPECT_EQ(e.number(), 1234);
    EXPECT_STREQ(e.what(), "desc");
  }
  EXPECT_FALSE(rt::TryResume([] { rt::RaiseVb(rt::vberr::kOverflow); }));
  EXPECT_EQ(rt::Err().number, 6);
  EXPECT_TRUE(rt::TryResume([] {}));
}

}  // namespace
