#include "rotation/key_kernels.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "rotation/rotation_frame.h"
#include "rotation_test_support.h"

namespace KeyFrame {
namespace {

constexpr double kAngleTolerance = 1e-12;
constexpr int kAlign = -1;  // stands for align_key in the tables below

AngleTriple run(int mode, const AngleTriple &ref, AngleTriple key) {
  if (mode == kAlign) {
    align_key(ref, key);
  } else {
    correct_key(mode, ref, key);
  }
  return key;
}

TEST(KeyKernels, KnownKeys) {
  struct Case {
    int mode;
    AngleTriple ref, key, out;
  };
  const AngleTriple zero{0, 0, 0};
  const AngleTriple far{4 * kPi, 4 * kPi, 4 * kPi};
  const Case cases[] = {
      {2, zero, {0, kPi / 6, 0}, {kPi, 5 * kPi / 6, kPi}},
      {2, zero, {kPi, 5 * kPi / 6, kPi}, {0, kPi / 6, 0}},
      {2, zero, {0, -kPi / 6, 0}, {kPi, -5 * kPi / 6, kPi}},
      {2, zero, {0, 5 * kPi / 9, 0}, {kPi, 4 * kPi / 9, kPi}},
      {2, zero, {0, -11 * kPi / 6, 0}, {0, kPi / 6, 0}},
      {2, zero, {0, 0, 0}, {kPi, kPi, kPi}},
      {3, zero, {0, kPi / 6, 0}, {0, -11 * kPi / 6, 0}},
      {3, zero, {0, -11 * kPi / 6, 0}, {kPi, -7 * kPi / 6, kPi}},
      {3, zero, {kPi, -7 * kPi / 6, kPi}, {0, -11 * kPi / 6, 0}},
      {3, zero, {0, -kPi / 6, 0}, {0, 11 * kPi / 6, 0}},
      {3, zero, {0, 0, 0}, {0, -kTwoPi, 0}},
      {0, zero, {0, kPi / 6, 0}, {0, kPi / 6, 0}},
      {7, zero, {0, kPi / 6, 0}, {0, kPi / 6, 0}},
      {kAlign, zero, {0, kPi / 6, 0}, {0, kPi / 6, 0}},
      {kAlign, zero, {kPi, kPi / 18, kPi}, {0, 17 * kPi / 18, 0}},
      {kAlign, zero, {kPi, 5 * kPi / 6, kPi}, {0, kPi / 6, 0}},
      // Both solutions exactly as far from the reference: the canonical one stays.
      {kAlign, {kHalfPi, 0, kHalfPi}, {0, 0.3, 0}, {0, 0.3, 0}},
      // Mode 2 places the canonical solution near the reference; mode 3 moves
      // the canonical pitch one turn towards it, not its placement.
      {2, far, {0, kPi / 6, 0}, {4 * kPi, 4 * kPi + kPi / 6, 4 * kPi}},
      {3, far, {0, kPi / 6, 0}, {4 * kPi, 2 * kPi + kPi / 6, 4 * kPi}},
  };
  for (const Case &c : cases) {
    const AngleTriple out = run(c.mode, c.ref, c.key);
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " key " << c.key.heading << " " << c.key.pitch
                                    << " " << c.key.bank);
    EXPECT_NEAR(out.heading, c.out.heading, kAngleTolerance);
    EXPECT_NEAR(out.pitch, c.out.pitch, kAngleTolerance);
    EXPECT_NEAR(out.bank, c.out.bank, kAngleTolerance);
  }
}

// Whatever they choose, the kernels only rewrite a key into an equivalent
// triple, placed near the reference: every angle within half a turn of the
// reference's, except the superior pitch, which is a turn further out.
TEST(KeyKernels, KeepTheOrientationAndPlaceNearTheReference) {
  test::AngleSource source(8);
  for (int i = 0; i < test::kPropertyCases; ++i) {
    const AngleTriple key = source.triple();
    const AngleTriple ref = source.triple();
    const RotationFrame f = build_frame(key);
    for (const int mode : {kAlign, 1, 2, 3}) {
      const AngleTriple out = run(mode, ref, key);
      ASSERT_LE(test::frame_distance(build_frame(out), f), test::readback_tolerance(key) + 1e-11)
          << "mode " << mode << " key " << key << " ref " << ref;
      auto near_ref = [](double angle, double r, double limit) {
        return std::fabs(angle - r) <= limit + 1e-12 + 8 * DBL_EPSILON * std::fabs(r);
      };
      ASSERT_TRUE(near_ref(out.heading, ref.heading, kPi)) << mode << " " << key << " " << ref;
      ASSERT_TRUE(near_ref(out.bank, ref.bank, kPi)) << mode << " " << key << " " << ref;
      if (mode == 3) {  // the canonical pitch a turn out, or the placed alternate a turn out
        ASSERT_TRUE(near_ref(out.pitch, 0.0, 3 * kPi) || near_ref(out.pitch, ref.pitch, 3 * kPi))
            << key << ref;
      } else {
        ASSERT_TRUE(near_ref(out.pitch, ref.pitch, kPi)) << mode << " " << key << " " << ref;
      }
    }
  }
}

// Finite input never gives a NaN or infinity, down to 1e300 angles and
// references. A frame built from such an angle is still a rotation.
TEST(KeyKernels, HugeAnglesStayFinite) {
  test::AngleSource source(9);
  const double huge[] = {1e300, -1e300, DBL_MAX, -DBL_MAX, 1e15, 3e10};
  for (int i = 0; i < 20000; ++i) {
    AngleTriple key = source.triple();
    AngleTriple ref = source.triple();
    (source.pick(2) ? key : ref).heading = huge[source.pick(6)];
    (source.pick(2) ? key : ref).pitch = huge[source.pick(6)];
    (source.pick(2) ? key : ref).bank = huge[source.pick(6)];
    for (const int mode : {kAlign, 1, 2, 3}) {
      ASSERT_TRUE(test::is_finite(run(mode, ref, key))) << mode << " " << i;
    }
  }
}

}  // namespace
}  // namespace KeyFrame
