#include "rotation/nearest_turn.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

#include "rotation/align_canonical.h"
#include "rotation_test_support.h"
#include "sweep_size.h"

namespace KeyFrame {
namespace {

double magnitude(double v) { return v <= -kZeroTolerance ? -v : v; }

// The stepping search, as a reference: one turn at a time while the distance
// to r strictly shrinks, the multiple formed afresh from a 32-bit count.
double stepping_nearest_turn(double x, double r) {
  const double delta = x - r;
  double best = magnitude(delta);
  std::int32_t n = 1;
  if (x <= r) {
    for (;; ++n) {
      const double t = magnitude(n * kTwoPi + delta);
      if (!(best > t)) break;
      best = t;
    }
    return x + (n - 1) * kTwoPi;
  }
  for (;; ++n) {
    const double t = magnitude(delta - n * kTwoPi);
    if (!(best > t)) break;
    best = t;
  }
  return x - (n - 1) * kTwoPi;
}

void expect_same_bits(double x, double r) {
  const double expected = stepping_nearest_turn(x, r);
  const double actual = nearest_turn(x, r);
  ASSERT_TRUE(actual == expected && std::signbit(actual) == std::signbit(expected))
      << "x=" << x << " r=" << r << " expected " << expected << " got " << actual;
}

TEST(NearestTurn, KnownValues) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    double x, r, out;
  };
  const Case cases[] = {
      {0, kPi, 0},  // a tie keeps the fewer turns
      {0, -kPi, 0},
      {0, 5, kTwoPi},
      {7, 0, 7 - kTwoPi},
      {1, 1, 1},
      {-0.0, 0, 0.0},
      {-0.0, -1, -0.0},
      {0.5, 100 * kTwoPi, 0.5 + 100 * kTwoPi},
      {inf, 0, inf},
      {-inf, 3, -inf},
      {2, inf, 2},
      {2, -inf, 2},
  };
  for (const Case &c : cases) {  // bit for bit: -0 plus no turns is +0, as in the stepping search
    const double out = nearest_turn(c.x, c.r);
    EXPECT_TRUE(out == c.out && std::signbit(out) == std::signbit(c.out)) << c.x << " " << c.r << " " << out;
  }
  EXPECT_TRUE(std::isnan(nearest_turn(nan, 1.0)));
  EXPECT_EQ(nearest_turn(1.0, nan), 1.0);
}

TEST(NearestTurn, MatchesSteppingSearchOnRandomTiesAndThresholds) {
  test::AngleSource source(3);
  for (int i = 0; i < test::kPropertyCases; ++i) {
    const double r = source.pick(4) == 0 ? source.quarter_turn() : source.uniform(-300.0, 300.0);
    const double turns = source.pick(50) - 25;
    double x;
    switch (source.pick(5)) {
      case 0:  // an exact or near tie: half a turn plus whole turns away, nudged by ulps
        x = r + (turns + 0.5) * kTwoPi;
        for (int k = source.pick(9) - 4; k != 0; k += k > 0 ? -1 : 1) {
          x = std::nextafter(x, k > 0 ? DBL_MAX : -DBL_MAX);
        }
        break;
      case 1:  // around the magnitude rule's 1e-14 threshold after whole turns
        x = r + turns * kTwoPi + source.uniform(-3e-14, 3e-14);
        break;
      case 2: x = source.pick(8) == 0 ? -0.0 : r + turns * kTwoPi; break;
      default: x = r + source.uniform(-160.0, 160.0); break;
    }
    expect_same_bits(x, r);
  }
}

TEST(NearestTurn, MatchesSteppingSearchFarButReachable) {
  test::AngleSource source(4);
  for (const double distance : {1e3, 1e5, 1e6, 3e7, 1e8}) {
    for (int i = 0; i < 4; ++i) {
      const double r = source.uniform(-10.0, 10.0);
      expect_same_bits(r + source.sign() * distance * (1.0 + source.uniform(0, 0.1)), r);
    }
    const double half = std::round(distance / kTwoPi) + 0.5;
    expect_same_bits(half * kTwoPi, 0.0);
    expect_same_bits(-half * kTwoPi, 0.0);
  }
}

// The inline quick cases against the out-of-line search, bit for bit, where
// the quick placement is decided: distances just inside and outside its
// reach (half a turn less the rounding margin) at every magnitude up to its
// turn limit and past it, and the paired form the chain uses lane by lane.
TEST(NearestTurn, QuickCasesAreTheGeneralSearchBitForBit) {
  test::AngleSource source(5);
  auto same = [](double a, double b) { return a == b && std::signbit(a) == std::signbit(b); };
  const int cases = test::sweep_cases(2000000);
  for (int i = 0; i < cases; ++i) {
    const double r = source.sign() * std::pow(10.0, source.uniform(-2.0, 10.5));
    const double x = source.uniform(-kPi, kTwoPi);
    double probe;
    switch (source.pick(4)) {
      case 0: {  // at the edge of the quick reach, a few ulps either way
        const double margin =
            nearest_turn_detail::kQuickMargin + std::fabs(r) * nearest_turn_detail::kQuickRelativeMargin;
        probe = r + source.sign() * (kPi - margin * source.uniform(0.0, 2.0));
        break;
      }
      case 1: probe = r + source.sign() * kPi; break;  // an exact tie, as far as r's rounding allows
      case 2: probe = source.pick(2) == 0 ? -0.0 : 0.0; break;
      default: probe = x; break;
    }
    const double y = source.pick(2) == 0 ? probe : x;
    const double general = nearest_turn_general(y, r);
    ASSERT_TRUE(same(nearest_turn(y, r), general)) << "x=" << y << " r=" << r;
    const double other = source.uniform(-kPi, kTwoPi);
    const kernel_detail::Pair pair =
        kernel_detail::nearest_turn_pair(kernel_detail::Pair{y, other}, kernel_detail::Pair{r, r});
    ASSERT_TRUE(same(pair[0], general) && same(pair[1], nearest_turn_general(other, r)))
        << "x=" << y << ", " << other << " r=" << r;
  }
}

// Where the 32-bit count would overflow, the result is x modulo 2π within half
// a turn of r; the cost does not grow with the distance.
TEST(NearestTurn, BeyondTheThirtyTwoBitCountStaysNearTheReference) {
  // The last count the stepping search reaches, computed directly.
  const double last = 2147483646.0;
  EXPECT_EQ(nearest_turn(0.25, last * kTwoPi + 0.3), 0.25 + last * kTwoPi);
  const double cases[][2] = {
      {0.25, 2147483648.0 * kTwoPi}, {1.0, -1e12},        {-3.0, 1e15},    {1e300, -1e300},
      {-DBL_MAX, DBL_MAX},           {DBL_MAX, -DBL_MAX}, {1e-300, 1e300},
  };
  for (const auto &c : cases) {
    const double x = c[0], r = c[1];
    const double out = nearest_turn(x, r);
    ASSERT_TRUE(std::isfinite(out)) << x << " " << r;
    // Within half a turn of r, up to the rounding of r's magnitude.
    EXPECT_LE(std::fabs(out - r), kPi + 4 * std::fabs(r) * DBL_EPSILON) << x << " " << r;
    if (std::fabs(r) < 1e13) {  // x's angle kept where r's magnitude allows it
      EXPECT_NEAR(std::remainder(out - x, kTwoPi), 0.0, 1e-2) << x << " " << r;
    }
  }
}

}  // namespace
}  // namespace KeyFrame
