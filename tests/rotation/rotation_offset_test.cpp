#include "rotation/rotation_offset.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>

#include "rotation/rotation_frame.h"
#include "rotation/turn_split.h"
#include "rotation_test_support.h"

namespace KeyFrame {
namespace {

constexpr double kAngleTolerance = 1e-12;
// An angle of the result may differ from the key's by at most a quarter turn
// plus the rounding of the key's magnitude.
double quarter_turn_limit(double a) { return kHalfPi + 1e-12 + 4 * std::fabs(a) * DBL_EPSILON; }

void expect_near(const AngleTriple &actual, const AngleTriple &expected, double tolerance) {
  EXPECT_NEAR(actual.heading, expected.heading, tolerance);
  EXPECT_NEAR(actual.pitch, expected.pitch, tolerance);
  EXPECT_NEAR(actual.bank, expected.bank, tolerance);
}

bool in_live_gimbal_band(const RotationFrame &f) { return std::fabs(f.forward.y) > kLiveGimbalLimit; }
bool in_forward_z_band(const RotationFrame &f) {
  return !in_live_gimbal_band(f) && std::fabs(f.forward.z) <= kLiveDeadBand;
}

TEST(ApplyRotationOffset, KnownOffsets) {
  struct Case {
    AngleTriple key, offset, out;
  };
  const Case cases[] = {
      // A zero offset returns the key, whole turns included.
      {{20 * kPi / 9, 0.1, 0.2}, {0, 0, 0}, {20 * kPi / 9, 0.1, 0.2}},
      {{0.3, 2 * kPi / 3, kPi / 18}, {0, 0, 0}, {0.3, 2 * kPi / 3, kPi / 18}},
      {{0.3, 0.2, 17 * kPi / 18}, {0, 0, 0}, {0.3, 0.2, 17 * kPi / 18}},
      {{-0.3 - 3 * kTwoPi, 0.2 + kTwoPi, -2.0}, {0, 0, 0}, {-0.3 - 3 * kTwoPi, 0.2 + kTwoPi, -2.0}},
      // forward.z within the dead band: the heading snaps to a quarter turn.
      {{0.4999 * kPi, 0.1, 0.1}, {0, 0, 0}, {kHalfPi, 0.1, 0.1}},
      {{0.4999 * kPi + kTwoPi, 0.1, 0.1}, {0, 0, 0}, {kHalfPi + kTwoPi, 0.1, 0.1}},
      // A small offset off the gimbal limits is simply added.
      {{0.3, 0.2, 0.1}, {0.01, -0.02, 0.03}, {0.31, 0.18, 0.13}},
      // Pitch crossing π/2 continues beyond it with heading and bank kept.
      {{0.3, kHalfPi - 0.05, 0.1}, {0, 0.1, 0}, {0.3, kHalfPi + 0.05, 0.1}},
      // At pitch ±π/2 the channel whose offset is in the dead band keeps its value.
      {{kPi / 6, -kHalfPi, kPi / 18}, {kPi / 36, 0, 0}, {kPi / 6 + kPi / 36, -kHalfPi, kPi / 18}},
      {{kPi / 6, -kHalfPi, kPi / 18}, {0, 0, 0.1}, {kPi / 6, -kHalfPi, kPi / 18 + 0.1}},
      {{kPi / 6, kHalfPi, kPi / 18}, {0.1, 0, 0}, {kPi / 6 + 0.1, kHalfPi, kPi / 18}},
      {{kPi / 6, kHalfPi, kPi / 18}, {0, 0, -0.1}, {kPi / 6, kHalfPi, kPi / 18 - 0.1}},
      // The dead band is tested on the offset less a half turn.
      {{kPi / 6, -kHalfPi, kPi / 18}, {kPi + 1e-4, 0, 0.1}, {kPi / 6, -kHalfPi, kPi / 18 + 0.1 + 1e-4}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << c.key.heading << " " << c.key.pitch << " " << c.key.bank);
    expect_near(apply_rotation_offset(c.key, c.offset), c.out, kAngleTolerance);
  }
}

// The settle step: the candidate read from the frame, moved by half and whole
// turns to within a quarter turn of the old angle, keeping its whole turns.
TEST(FollowFunctions, SettleNearTheOldAngle) {
  struct Case {
    double frame_angle, old, out;
  };
  const Case heading_cases[] = {
      {1.0, 1.3, 1.0},                            // within a quarter turn
      {1.0, 1.3 + 3 * kTwoPi, 1.0 + 3 * kTwoPi},  // whole turns kept
      {1.0, -1.0, 1.0 - kPi},                     // the other solution
      {-1.0, 1.0, -1.0 + kPi},
      {1.0, -4.0, 1.0 - kTwoPi},   // a turn down
      {3.0, -5.0, 3.0 - 3 * kPi},  // a turn and a half down
      {-1.0, 4.0, -1.0 + kTwoPi},
      {-3.0, 5.0, -3.0 + 3 * kPi},
  };
  for (const Case &c : heading_cases) {
    const RotationFrame f = build_frame({c.frame_angle, 0.2, 0.1});
    EXPECT_NEAR(follow_heading(c.old, 0.01, 0.1, f), c.out, kAngleTolerance) << c.frame_angle << " " << c.old;
    const RotationFrame g = build_frame({0.1, 0.2, c.frame_angle});
    EXPECT_NEAR(follow_bank(c.old, 0.01, 0.1, g), c.out, 1e-9) << c.frame_angle << " " << c.old;
  }
  // The pitch of a frame with bank 0 and pitch 2.0, settled: the other
  // solution of a pitch is π - p (or -π - p), not p ± π.
  const Case pitch_cases[] = {
      {2.0, 2.1, 2.0},
      {2.0, 0.1, kPi - 2.0},
      {2.0, 4.0, -kPi - 2.0},
      {2.0, -3.5, 2.0 - kTwoPi},
      {2.0, 2.1 - kTwoPi, 2.0 - kTwoPi},
  };
  for (const Case &c : pitch_cases) {
    EXPECT_NEAR(follow_pitch(c.old, 0.0, build_frame({0, c.frame_angle, 0})), c.out, kAngleTolerance)
        << c.old;
  }
}

TEST(ApplyRotationOffset, ZeroOffsetReturnsTheKey) {
  test::AngleSource source(5);
  for (int i = 0; i < test::kPropertyCases; ++i) {
    const AngleTriple a = source.triple();
    const RotationFrame f = build_frame(a);
    if (in_forward_z_band(f)) continue;
    const AngleTriple n = apply_rotation_offset(a, {0, 0, 0});
    const double tolerance = test::readback_tolerance(a) + 1e-12 + 4 * DBL_EPSILON * 2000 * kPi;
    ASSERT_NEAR(n.heading, a.heading, tolerance) << a;
    ASSERT_NEAR(n.pitch, a.pitch, tolerance) << a;
    ASSERT_NEAR(n.bank, a.bank, tolerance) << a;
  }
}

// For small offsets, everywhere: each angle stays within a quarter turn of the
// key's (so it keeps the key's whole turns), and nothing is lost to NaN. Off the
// live gimbal limit and the forward.z dead band the result is the orientation
// of key + offset. Within the gimbal limit, with one of heading and bank
// offsets in the dead band, that channel keeps its value exactly and the
// orientation is reached exactly at ±π/2, approximately off it.
TEST(ApplyRotationOffset, SmallOffsetsFollowTheKey) {
  test::AngleSource source(6);
  for (int i = 0; i < test::kPropertyCases; ++i) {
    const AngleTriple a = source.triple();
    AngleTriple d{source.uniform(-0.05, 0.05), source.uniform(-0.05, 0.05), source.uniform(-0.05, 0.05)};
    // Often one of heading and bank is held (in the dead band), as when the
    // user turns a single channel.
    const int held = source.pick(3);
    if (held == 0) d.heading = source.uniform(-4e-4, 4e-4);
    if (held == 1) d.bank = 0;
    const AngleTriple s{a.heading + d.heading, a.pitch + d.pitch, a.bank + d.bank};
    const RotationFrame f = build_frame(s);
    const AngleTriple n = apply_rotation_offset(a, d);
    ASSERT_TRUE(test::is_finite(n)) << a << " + " << d;
    ASSERT_LE(std::fabs(n.heading - a.heading), quarter_turn_limit(a.heading)) << a << " + " << d;
    ASSERT_LE(std::fabs(n.pitch - a.pitch), quarter_turn_limit(a.pitch)) << a << " + " << d;
    ASSERT_LE(std::fabs(n.bank - a.bank), quarter_turn_limit(a.bank)) << a << " + " << d;
    const double distance = test::frame_distance(build_frame(n), f);
    const double tolerance = test::readback_tolerance(s) + 1e-12 + 4 * DBL_EPSILON * 2000 * kPi;
    if (in_live_gimbal_band(f)) {
      const bool heading_dead = std::fabs(d.heading) < kLiveDeadBand;
      const bool bank_dead = std::fabs(d.bank) < kLiveDeadBand;
      if (!heading_dead && !bank_dead) continue;  // see GimbalLimitCountsTwoMovingChannels
      if (heading_dead) {
        ASSERT_EQ(n.heading, a.heading) << a << " + " << d;
      }
      if (bank_dead) {
        ASSERT_EQ(n.bank, a.bank) << a << " + " << d;
      }
      // Off ±π/2 by e = acos|forward.y| the read-back treats the pitch as at
      // the limit: the frame is off by up to 2e (pitch read on the mirror
      // side). With both offsets in the dead band, neither is applied.
      const double dropped = heading_dead && bank_dead ? std::fabs(d.heading + d.bank) : 0.0;
      ASSERT_LE(distance, tolerance + dropped + 2.0 * std::acos(std::fabs(f.forward.y))) << a << " + " << d;
    } else if (!in_forward_z_band(f)) {
      ASSERT_LE(distance, tolerance) << a << " + " << d;
    }
  }
}

// With both heading and bank offsets outside the dead band at pitch -π/2, each
// channel carries the combined turn, so the pair turns twice as far.
TEST(ApplyRotationOffset, GimbalLimitCountsTwoMovingChannels) {
  const AngleTriple a{0.3, -kHalfPi, 0.2};
  const AngleTriple n = apply_rotation_offset(a, {0.01, 0, 0.02});
  EXPECT_NEAR(n.heading, 0.3 + 0.03, kAngleTolerance);
  EXPECT_NEAR(n.bank, 0.2 + 0.03, kAngleTolerance);
}

// At a bank on a quarter turn up.y is rounding noise and the bank is read to
// about 1e-7; the pitch must still go with the bank the read-back chose.
// (Taken from up.y's sign alone, a bank of 3π/2 could flip the pitch to π - p.)
TEST(ApplyRotationOffset, QuarterTurnBankKeepsThePitchSolution) {
  for (const double bank : {kHalfPi, -kHalfPi, 3 * kHalfPi, -3 * kHalfPi, -7 * kHalfPi, 3 * kHalfPi - 8.7e-8,
                            kHalfPi + 3e-9, -kHalfPi - 3e-9}) {
    for (const double pitch : {0.2, 0.79029184863376722, 1.2, -1.34, 2.5, -2.9, 0.3 - kTwoPi}) {
      const AngleTriple a{-1.65, pitch, bank};
      const AngleTriple d{0.004, -0.0096, 0};
      const AngleTriple s{a.heading + d.heading, a.pitch + d.pitch, a.bank};
      const AngleTriple n = apply_rotation_offset(a, d);
      EXPECT_LE(test::frame_distance(build_frame(n), build_frame(s)), 1e-6) << bank << " " << pitch;
      EXPECT_NEAR(n.pitch, s.pitch, 1e-6) << bank << " " << pitch;
    }
  }
}

// At pitch -π/2 with old heading and bank both near a full turn, the combined
// angle lies about 4π from the old bank; it must still settle a quarter turn
// from it, not half a turn away.
TEST(ApplyRotationOffset, GimbalLimitWithAnglesNearAFullTurn) {
  const AngleTriple a{6.0, -kHalfPi, 6.0};
  expect_near(apply_rotation_offset(a, {0, 0, 0.01}), {6.0, -kHalfPi, 6.01}, kAngleTolerance);
  expect_near(apply_rotation_offset(a, {0.01, 0, 0}), {6.01, -kHalfPi, 6.0}, kAngleTolerance);
  const AngleTriple b{-6.0, -kHalfPi, -6.0};
  expect_near(apply_rotation_offset(b, {0, 0, -0.01}), {-6.0, -kHalfPi, -6.01}, kAngleTolerance);
  const AngleTriple c{-6.0, kHalfPi, 6.0};
  expect_near(apply_rotation_offset(c, {0, 0, -0.01}), {-6.0, kHalfPi, 5.99}, kAngleTolerance);
}

TEST(ApplyRotationOffset, HugeAnglesStayFinite) {
  const AngleTriple cases[][2] = {
      {{1e11, 0.2, -3e10}, {0.01, 0.01, 0.01}},    // past the 32-bit turn count
      {{1e300, -1e300, 7e299}, {0.5, 1e300, -2}},  // 1e300 scale
      {{DBL_MAX, 0.1, 0.1}, {DBL_MAX, 0, 0}},      // the sum overflows: key kept
      {{0.1, -DBL_MAX, 0.1}, {0, -DBL_MAX, 0}},
  };
  for (const auto &c : cases) {
    const AngleTriple n = apply_rotation_offset(c[0], c[1]);
    ASSERT_TRUE(test::is_finite(n)) << c[0].heading;
    EXPECT_LE(std::fabs(n.heading - c[0].heading), quarter_turn_limit(c[0].heading));
    EXPECT_LE(std::fabs(n.bank - c[0].bank), quarter_turn_limit(c[0].bank));
  }
  const AngleTriple n = apply_rotation_offset({1e11, 0.2, 0.3}, {0.01, 0, 0});
  EXPECT_NEAR(n.heading, 1e11 + 0.01, 1e-4);
}

// Within the 32-bit turn count the split is x - k·2π with k = trunc(x/2π) as a
// 32-bit integer, bit for bit; beyond it the reduced angle stays below a turn.
TEST(TurnSplit, ThirtyTwoBitCountAndBeyond) {
  test::AngleSource source(7);
  for (int i = 0; i < test::kPropertyCases; ++i) {
    const double x = source.sign() * std::pow(10.0, source.uniform(-3.0, 10.1));
    const double whole = static_cast<std::int32_t>(x * kInvTwoPi) * kTwoPi;
    const TurnSplit split = turn_split(x);
    ASSERT_EQ(split.whole, whole) << x;
    ASSERT_EQ(split.reduced, x - whole) << x;
  }
  for (const double x : {1.4e10, -1.4e10, 1e15, -1e300, DBL_MAX, -DBL_MAX}) {
    const TurnSplit split = turn_split(x);
    EXPECT_LT(std::fabs(split.reduced), kTwoPi) << x;
    EXPECT_EQ(std::signbit(split.reduced), std::signbit(x)) << x;
    EXPECT_TRUE(std::isfinite(split.whole)) << x;
  }
}

}  // namespace
}  // namespace KeyFrame
