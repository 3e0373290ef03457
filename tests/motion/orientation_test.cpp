// The orientation the motion checks measure: the module's Euler convention,
// and turn angles that stay exact where they are small.

#include "motion/orientation.h"

#include <gtest/gtest.h>

#include <random>

#include "curve_builders.h"

namespace {

using motion::Orientation;
using motion::orientation_of;
constexpr KeyFrame::RotationOrder kHPB = KeyFrame::RotationOrder::kHPB;
using motion::turn_between;
using motion_testing::kPi;

// v turned by q: q v q*.
struct Vector {
  double x, y, z;
};
Vector turned(const Orientation &q, const Vector &v) {
  const Orientation p{0.0, v.x, v.y, v.z};
  const Orientation conjugate{q.w, -q.x, -q.y, -q.z};
  const Orientation r = motion::compose(motion::compose(q, p), conjugate);
  return Vector{r.x, r.y, r.z};
}

TEST(Orientation, IsHeadingThenPitchThenBankAsTheModuleBuildsItsFrame) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> angle(-4.0, 4.0);
  for (int i = 0; i < 200; ++i) {
    const double h = angle(random), p = angle(random), b = angle(random);
    const Orientation q = orientation_of(h, p, b, kHPB);
    // The closed form of the frame's forward and up vectors for R = Ry(h)·Rx(p)·Rz(b).
    const Vector forward = turned(q, {0, 0, 1});
    EXPECT_NEAR(forward.x, std::sin(h) * std::cos(p), 1e-12);
    EXPECT_NEAR(forward.y, -std::sin(p), 1e-12);
    EXPECT_NEAR(forward.z, std::cos(h) * std::cos(p), 1e-12);
    const Vector up = turned(q, {0, 1, 0});
    EXPECT_NEAR(up.x, std::sin(h) * std::sin(p) * std::cos(b) - std::cos(h) * std::sin(b), 1e-12);
    EXPECT_NEAR(up.y, std::cos(p) * std::cos(b), 1e-12);
  }
}

TEST(Orientation, TheOtherTripleAndWholeTurnsAreTheSameOrientation) {
  std::mt19937 random(11);
  std::uniform_real_distribution<double> angle(-4.0, 4.0);
  for (int i = 0; i < 200; ++i) {
    const double h = angle(random), p = angle(random), b = angle(random);
    const Orientation q = orientation_of(h, p, b, kHPB);
    EXPECT_NEAR(turn_between(q, orientation_of(h + kPi, kPi - p, b + kPi, kHPB)), 0.0, 1e-12);
    EXPECT_NEAR(turn_between(q, orientation_of(h - 2 * kPi, p + 4 * kPi, b + 2 * kPi, kHPB)), 0.0, 1e-12);
  }
}

TEST(TurnBetween, IsTheShortestTurnAndExactWhenSmall) {
  const Orientation start = orientation_of(0.4, -0.2, 1.1, kHPB);
  for (const double turn : {1e-12, 1e-7, 0.01, 1.0, 3.0}) {
    // A turn about the item's own up axis, applied after its orientation.
    const Orientation about_up{std::cos(turn / 2), 0.0, std::sin(turn / 2), 0.0};
    // Exact to the rounding of the quaternions' components (1e-16).
    EXPECT_NEAR(turn_between(start, motion::compose(start, about_up)), turn, 1e-15 + 1e-9 * turn) << turn;
  }
  // 270° one way is 90° the other.
  EXPECT_NEAR(
      turn_between(orientation_of(0, 0, 0, kHPB), orientation_of(motion_testing::degrees(270), 0, 0, kHPB)),
      kPi / 2, 1e-12);
  EXPECT_NEAR(turn_between(orientation_of(0, 0, 0, kHPB), orientation_of(kPi, 0, 0, kHPB)), kPi, 1e-12);
}

}  // namespace
