// Percentages rounded to hundredths, halves to the even neighbour, from
// text as written and from Doubles to their 15 digits.
#include <gtest/gtest.h>

#include "quarvel/services/rounding.h"

namespace {

std::string Rounded(const rt::Variant& value) {
  const rt::Variant r = quarvel::RoundedToCents(value);
  return rt::TypeName(r) + ":" + rt::CStr(r);
}

TEST(RoundedToCents, HalvesGoToTheEvenNeighbourAtTheSecondDecimal) {
  std::string text;
  for (const char* value : {"0.125", "0.375", "12.625", "-0.125", "-2.675", "2.6751", "7", "99.99", "1e-3"})
    text += Rounded(rt::Variant(value)) + " ";
  EXPECT_EQ(text, "Decimal:0.12 Decimal:0.38 Decimal:12.62 Decimal:-0.12 Decimal:-2.68 Decimal:2.68 Decimal:7 "
                  "Decimal:99.99 Decimal:0 ");
  // 2.675 is 2.67499999... as a Double, but 2.675 to 15 digits.
  EXPECT_EQ(Rounded(rt::Variant(2.675)), "Decimal:2.68");
  EXPECT_EQ(Rounded(rt::Variant(int32_t{3})), "Decimal:3");
}

}  // namespace
