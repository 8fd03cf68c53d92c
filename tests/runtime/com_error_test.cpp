// The COM error, VB's error texts and trapping failures into the pending error.
#include "runtime/com_error.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <thread>

namespace {

TEST(VbErrorText, VbsOwnTexts) {
  const std::vector<std::pair<int32_t, const char*>> cases = {
      {5, "Invalid procedure call or argument"},
      {6, "Overflow"},
      {7, "Out of memory"},
      {9, "Subscript out of range"},
      {11, "Division by zero"},
      {13, "Type mismatch"},
      {91, "Object variable or With block variable not set"},
      {94, "Invalid use of Null"},
      {424, "Object required"},
      {438, "Object doesn't support this property or method"},
      {449, "Argument not optional"},
      {450, "Wrong number of arguments or invalid property assignment"},
      {457, "This key is already associated with an element of this collection"},
      {32811, "Element not found"},
      {1000, "Application-defined or object-defined error"},
  };
  for (const auto& [number, text] : cases) EXPECT_EQ(rt::VbErrorText(number), text) << number;
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
}

TEST(TrapError, KeepsAnEmptySourceAsRaised) {
  // Only a run-time error is named after the running component, where it is
  // raised; a handler trapping an error never fills its source.
  const auto e = Trapped([] { rt::Raise(-1, "", "Invalid Arguments"); });
  EXPECT_EQ(e.source, "");
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
