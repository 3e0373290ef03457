// Numbers written into scene files: the shortest "%g" text that reads back
// as the same double.

#include "text/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

namespace {

// What the text must be: "%.1g", "%.2g", ... until one reads back exactly.
std::string shortest_by_trying(double value) {
  char text[40];
  for (int digits = 1; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    double back = 0.0;
    if (text::parse_double_token(text, back) && back == value && std::signbit(back) == std::signbit(value))
      break;
  }
  return text;
}

TEST(NumberText, ShortestTextIsThatOfTryingEachPrecision) {
  for (double value : {0.0, -0.0, 0.1, 100000.0, 1e16, 1.2104569e-08, 3.836508807179586, -2.4466765,
                       6.2831855, 5e-324, 1.7976931348623157e308, 123456789012345678.0}) {
    EXPECT_EQ(text::shortest_double_text(value), shortest_by_trying(value)) << value;
  }
  std::mt19937_64 rng(17);
  std::uniform_real_distribution<double> unit(-10.0, 10.0);
  for (int i = 0; i < 200000; ++i) {
    const double value = i % 2 == 0 ? unit(rng) : std::ldexp(unit(rng), static_cast<int>(rng() % 400) - 200);
    ASSERT_EQ(text::shortest_double_text(value), shortest_by_trying(value)) << value;
  }
  EXPECT_EQ(text::shortest_double_text(-2.4466765 + 6.283185307179586), "3.836508807179586");
}

}  // namespace
