#include "rotation/euler_readback.h"

#include <gtest/gtest.h>

#include <cmath>

#include "rotation/rotation_frame.h"
#include "rotation_test_support.h"

namespace KeyFrame {
namespace {

constexpr double kAngleTolerance = 1e-12;

TEST(ReadAngles, KnownFrames) {
  struct Case {
    AngleTriple in;
    AngleTriple out;
  };
  const Case cases[] = {
      {{0, 0, 0}, {0, 0, 0}},
      // The pitch stays beyond π/2 because the bank is within a quarter turn.
      {{kPi / 6, 2 * kPi / 3, kPi / 18}, {kPi / 6, 2 * kPi / 3, kPi / 18}},
      // The other solution is returned: its bank is within a quarter turn.
      {{kPi / 18, kPi / 9, 17 * kPi / 18}, {-17 * kPi / 18, 8 * kPi / 9, -kPi / 18}},
      // Gimbal limits: heading + bank at pitch -π/2, heading - bank at +π/2.
      {{kPi / 6, -kHalfPi, kPi / 9}, {5 * kPi / 18, -kHalfPi, 0}},
      {{kPi / 6, kHalfPi, kPi / 9}, {kPi / 18, kHalfPi, 0}},
      // A pitch a hair below zero is not negative for the half-turn fix (zero
      // test), so with the bank beyond a quarter turn it reads as π - p.
      {{0.3, -5e-15, 2.5}, {0.3 - kPi, kPi, 2.5 - kPi}},
      // Whole turns are never kept.
      {{kPi / 6 + 4 * kTwoPi, 0.3 - kTwoPi, 0.2 + kTwoPi}, {kPi / 6, 0.3, 0.2}},
  };
  for (const Case &c : cases) {
    const AngleTriple r = read_angles(build_frame(c.in));
    EXPECT_NEAR(r.heading, c.out.heading, kAngleTolerance);
    EXPECT_NEAR(r.pitch, c.out.pitch, kAngleTolerance);
    EXPECT_NEAR(r.bank, c.out.bank, kAngleTolerance);
    EXPECT_LT(test::frame_distance(build_frame(r), build_frame(c.in)), 1e-12);
  }
}

// At a bank of ±π/2, right.y / sqrt(1 - forward.y²) rounds a few ulps past ±1;
// its arcsine is clamped instead of turning into NaN.
TEST(ReadAngles, QuarterTurnBankGivesFiniteAngles) {
  int past_one = 0;
  for (int h = -4; h <= 4; ++h) {
    for (int p = -6; p <= 6; ++p) {
      for (double b : {-kHalfPi, kHalfPi, 3 * kHalfPi}) {
        const AngleTriple a{h * kPi / 4 + 0.43886257847340127, p * kPi / 12, b};
        const RotationFrame f = build_frame(a);
        const double s = 1.0 - f.forward.y * f.forward.y;
        past_one += s > kZeroTolerance && std::fabs(f.right.y / std::sqrt(s)) > 1.0;
        const AngleTriple r = read_angles(f);
        ASSERT_TRUE(test::is_finite(r)) << a.heading << " " << a.pitch;
        EXPECT_LT(test::frame_distance(build_frame(r), f), test::readback_tolerance(a));
      }
    }
  }
  EXPECT_GT(past_one, 0);  // the table does reach the clamp
}

TEST(ReadAngles, RangesAndRoundTrip) {
  test::AngleSource source(2);
  for (int i = 0; i < test::kPropertyCases; ++i) {
    const AngleTriple a = source.triple();
    const RotationFrame f = build_frame(a);
    const AngleTriple r = read_angles(f);
    ASSERT_TRUE(test::is_finite(r));
    // π - P1 for a pitch just above -1e-14 can exceed π by an ulp.
    ASSERT_LE(std::fabs(r.heading), kPi);
    ASSERT_LE(std::fabs(r.pitch), kPi + 1e-14);
    ASSERT_LE(std::fabs(r.bank), kHalfPi);
    ASSERT_LT(test::frame_distance(build_frame(r), f), test::readback_tolerance(a)) << a;
  }
}

// Pitch 1.0e-7 to 1.4e-7 rad from -π/2: past the gimbal limit on forward.y,
// though cos² p is still above the zero test. The heading holds the bank,
// and the bank is read as 0, not counted a second time: the rebuilt frame is
// the item's own, not one turned by its bank.
TEST(ReadAngles, NarrowBandFoldsTheBankIntoTheHeadingOnce) {
  for (const double from_pole : {1.05e-7, 1.2e-7, 1.35e-7}) {
    for (const double sign : {-1.0, 1.0}) {
      const AngleTriple a{0.2, sign * (kHalfPi - from_pole), 0.5};
      const RotationFrame f = build_frame(a);
      ASSERT_TRUE(test::in_narrow_band(f)) << from_pole;
      const AngleTriple r = read_angles(f);
      EXPECT_NEAR(r.heading, sign < 0 ? 0.7 : -0.3, 1e-6) << from_pole;
      EXPECT_EQ(r.bank, 0.0);
      EXPECT_LT(test::frame_distance(build_frame(r), f), 1e-6) << from_pole;
    }
  }
}

// Just outside the gimbal limit the bank is read through cos p, a few 1e-7:
// the read-back must keep it to well under the 1e-6 rad that a scene file's
// digits carry, and give the same triple back when read again, or every
// scan would move such keys a little further. (A bank at ±π/2 is read by the
// arcsine near 1, good to the square root of a double's precision, 1.5e-8.)
TEST(ReadAngles, NearThePolesTheBankKeepsItsDigits) {
  for (const double from_pole : {1.5e-7, 4e-7, 1e-6, 3e-6}) {
    for (const double bank : {-4.7122985, -2.5, 0.7, 1.5707963}) {
      for (const double sign : {-1.0, 1.0}) {
        const AngleTriple a{0.4, sign * (kHalfPi - from_pole), bank};
        const RotationFrame f = build_frame(a);
        const AngleTriple r = read_angles(f);
        EXPECT_LT(test::frame_distance(build_frame(r), f), 1e-8) << from_pole << " " << bank;
        const AngleTriple again = read_angles(build_frame(r));
        EXPECT_NEAR(again.bank, r.bank, 5e-8) << from_pole << " " << bank;
        EXPECT_NEAR(again.heading, r.heading, 5e-8) << from_pole << " " << bank;
      }
    }
  }
}

}  // namespace
}  // namespace KeyFrame
