// A pitch curve written into the other triple, p' = π − p: its stored
// slopes follow the values, so the reflected curve is π − p(t) throughout.

#include "motion/pitch_slopes.h"

#include <gtest/gtest.h>

#include "curve_builders.h"

namespace {

using motion_testing::add_shaped_keys;
using motion_testing::kPi;
using motion_testing::shape_of;

// Reflects every key's value and shape, as the program does over a run of
// rewritten triples.
void reflect_all(scene::Envelope &pitch) {
  std::vector<double> times;
  for (scene::Key *key = pitch.first(); key != nullptr; key = key->next) {
    key->value = kPi - key->value;
    times.push_back(key->time);
  }
  motion::reflect_pitch_slopes(pitch, times);
}

class ReflectedPitch : public testing::TestWithParam<scene::HermiteTangents> {};

TEST_P(ReflectedPitch, IsPiMinusTheCurveForEverySpanType) {
  scene::Envelope pitch;
  add_shaped_keys(pitch, {
                             {0.0, 0.3, shape_of(scene::kSpanTcb, {0.2, -0.1, 0.3, 0.7, 0.9})},
                             {0.5, 0.9, shape_of(scene::kSpanHermite, {0, 0, 0, 1.2, -0.4})},
                             {1.1, 1.4, shape_of(scene::kSpanBezier1D, {0, 0, 0, 0.5, 0.8})},
                             {1.5, 1.2, shape_of(scene::kSpanBezier2D, {-0.1, 0.2, 0.15, -0.3, 0.6})},
                             {2.0, 1.7, shape_of(scene::kSpanBezier2D, {-0.2, -0.1, 0.1, 0.25, 0.4})},
                             {2.4, 1.1, shape_of(scene::kSpanLinear, {0, 0, 0, 0.3, 0.3})},
                             {3.0, 0.8, shape_of(scene::kSpanHermite, {0, 0, 0, -0.6, 0.2})},
                             {3.2, 0.5, shape_of(scene::kSpanStepped)},
                             {3.9, 0.2, shape_of(scene::kSpanTcb)},
                         });
  pitch.post_behavior = scene::kBehaviorLinear;
  pitch.pre_behavior = scene::kBehaviorLinear;
  const scene::CurveSampler before(pitch, GetParam());
  reflect_all(pitch);
  const scene::CurveSampler after(pitch, GetParam());
  for (int i = 0; i <= 500; ++i) {
    const double time = -0.5 + 5.0 * i / 500;
    // The 2D Bezier spans are found by a bisection to 1e-4 s, which lands
    // on the same parameter for both curves.
    EXPECT_NEAR(after.at(time), kPi - before.at(time), 1e-12) << time;
  }
}

INSTANTIATE_TEST_SUITE_P(BothHermiteReadings, ReflectedPitch,
                         testing::Values(scene::HermiteTangents::scaled_by_spacing,
                                         scene::HermiteTangents::as_stored));

TEST(ReflectedPitchShape, KeepsTimeOffsetsAndTensionAndLeavesZerosPositive) {
  const scene::KeyShape bezier =
      motion::reflected_pitch_shape(shape_of(scene::kSpanBezier2D, {-0.1, 0.2, 0.15, -0.3, 0.6}));
  EXPECT_EQ(bezier.params[0], -0.1);
  EXPECT_EQ(bezier.params[2], 0.15);
  const scene::KeyShape tcb =
      motion::reflected_pitch_shape(shape_of(scene::kSpanTcb, {0.5, 0.25, -0.5, 0.0, 2.0}));
  EXPECT_EQ(tcb.params[0], 0.5);
  EXPECT_EQ(tcb.params[1], 0.25);
  EXPECT_EQ(tcb.params[2], -0.5);
  EXPECT_FALSE(std::signbit(tcb.params[3])) << "a zero written as -0 would change the file's text";
  EXPECT_EQ(tcb.params[4], -2.0);
  scene::Envelope pitch;
  add_shaped_keys(pitch, {{0.0, 0.1, shape_of(scene::kSpanStepped, {0, 0, 0, 1, 1})}});
  pitch.forget_shape_edits();
  EXPECT_EQ(motion::reflect_pitch_slopes(pitch, {0.0, 5.0}), 0u)
      << "a stepped key has no slope; 5 s has no key";
  EXPECT_FALSE(pitch.shape_edited(pitch.first()));
}

}  // namespace
