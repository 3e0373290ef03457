// Keys added where an item's rotation channels are keyed apart: each on its
// curve, shaped so that the curve keeps its motion, and the change that
// remains measured honestly.

#include "motion/missing_keys.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "curve_builders.h"
#include "scene/scene.h"

namespace {

using motion_testing::add_shaped_keys;
using motion_testing::degrees;
using motion_testing::largest_difference;
using motion_testing::shape_of;
using motion_testing::ShapedKey;

constexpr double kFps = 30.0;

class MissingKeys : public testing::TestWithParam<scene::HermiteTangents> {
 protected:
  scene::Scene scene;
  scene::Item &item = scene.add_item("Rig");
  std::array<scene::Envelope *, 3> channels = {item.envelope("Rotation.H"), item.envelope("Rotation.P"),
                                               item.envelope("Rotation.B")};

  // Keys the pitch at each frame of `frames` (all three channels share the
  // ends 0 and 1 s), adds the missing keys, and returns how far the
  // heading moved, sampled far finer than the report.
  double heading_change_after_adding(std::initializer_list<ShapedKey> heading) {
    add_shaped_keys(*channels[0], heading);
    for (const double frame : {0.0, 7.0, 13.0, 22.0, 30.0})
      channels[1]->create(frame / kFps, 0.1 * frame / kFps);
    add_shaped_keys(*channels[2], {{0.0, 0.0, {}}, {1.0, 0.0, {}}});
    const scene::CurveSampler before(*channels[0], GetParam());
    result = motion::add_missing_keys(item, kFps, GetParam());
    return largest_difference(before, scene::CurveSampler(*channels[0], GetParam()), 0.0, 1.0, 3000);
  }

  motion::MissingKeys result;
};

TEST_P(MissingKeys, SplitHermiteSpansExactlyAndKeepTheirKeysSlopes) {
  const scene::KeyShape start = shape_of(scene::kSpanHermite, {0, 0, 0, 0, 1.5});
  const scene::KeyShape middle = shape_of(scene::kSpanHermite, {0, 0, 0, -0.8, 2.2});
  const scene::KeyShape end = shape_of(scene::kSpanBezier1D, {0, 0, 0, 0.4, 0});
  const double change = heading_change_after_adding({{0.0, 0.2, start}, {0.5, 1.0, middle}, {1.0, 0.6, end}});
  // Heading at frames 7, 13 and 22, pitch at 15, bank at all four.
  EXPECT_EQ(result.added, 3u + 1u + 4u);
  EXPECT_LT(change, 1e-12);
  EXPECT_LT(result.largest_change, 1e-12);
  // The new keys are Hermite-family keys in Hermite-family spans.
  EXPECT_EQ(channels[0]->shape(channels[0]->find(7.0 / kFps)).span_type, scene::kSpanHermite);
  EXPECT_EQ(channels[0]->shape(channels[0]->find(22.0 / kFps)).span_type, scene::kSpanBezier1D);
}

TEST_P(MissingKeys, SplitLinearAndSteppedSpansExactly) {
  const double change = heading_change_after_adding({{0.0, 0.2, shape_of(scene::kSpanTcb)},
                                                     {0.5, 1.0, shape_of(scene::kSpanLinear)},
                                                     {1.0, 0.6, shape_of(scene::kSpanStepped)}});
  EXPECT_LT(change, 1e-12);
}

TEST_P(MissingKeys, SplitTwoDimensionalBeziersByTheirOwnHandles) {
  const double change =
      heading_change_after_adding({{0.0, 0.2, shape_of(scene::kSpanBezier2D, {0, 0, 0.2, 0.5})},
                                   {0.5, 1.0, shape_of(scene::kSpanBezier2D, {-0.1, -0.3, 0.2, 0.1})},
                                   {1.0, 0.6, shape_of(scene::kSpanBezier2D, {-0.15, 0.2, 0, 0})}});
  // Exact but for the evaluation's own bisection to 1e-4 s, on slopes of a
  // few radians a second.
  EXPECT_LT(change, 2e-3);
}

TEST_P(MissingKeys, FitTcbKeysClosely) {
  // A swing of a radian keyed at uneven spacing.
  const auto swing = [](double t) { return ShapedKey{t, 0.2 + 0.5 * std::sin(3 * t), {}}; };
  const double change =
      heading_change_after_adding({swing(0.0), swing(0.3), swing(0.5), swing(0.8), swing(1.0)});
  EXPECT_EQ(result.added, 3u + 3u + 6u);
  // A TCB key's neighbours take their tangents from it: some change stays,
  // small beside the swing.
  EXPECT_LT(change, 0.01);
  EXPECT_LE(change, result.largest_change * 1.1 + 1e-9) << "the report measures what moved";
  EXPECT_EQ(result.largest_change_channel, 0);
}

TEST_P(MissingKeys, AddBeyondTheEndsOnlyWhereTheCurveHoldsItsEndValue) {
  add_shaped_keys(*channels[0], {{0.0, 0.5, {}}, {1.0, 1.0, {}}, {2.0, 0.7, {}}});
  add_shaped_keys(*channels[1], {{0.5, 0.3, shape_of(scene::kSpanHermite, {0, 0, 0, 0, 0.2})},
                                 {1.0, 0.1, shape_of(scene::kSpanHermite, {0, 0, 0, 0.3, 0.1})},
                                 {1.5, 0.2, shape_of(scene::kSpanHermite, {0, 0, 0, 0.4, 0})}});
  channels[2]->create(0.0, 0.0);
  channels[1]->post_behavior = scene::kBehaviorRepeat;  // a key at 2 s would change its period
  const scene::CurveSampler pitch(*channels[1], GetParam());
  result = motion::add_missing_keys(item, kFps, GetParam());
  EXPECT_NE(channels[1]->find(0.0), nullptr);
  EXPECT_EQ(channels[1]->find(2.0), nullptr);
  EXPECT_EQ(result.not_added, 1u);
  // Before its first key the pitch held 0.3; it still does, and its keys
  // keep their slopes.
  EXPECT_LT(largest_difference(pitch, scene::CurveSampler(*channels[1], GetParam()), -0.5, 1.5, 2000), 1e-12);
  // Bank, one key of 0 at 0 s, gets keys at 0.5 ... 2 s holding 0.
  EXPECT_EQ(channels[2]->size(), 5u);
  EXPECT_LT(largest_difference(scene::CurveSampler(*channels[2], GetParam()),
                               scene::CurveSampler(scene::Envelope(), GetParam()), 0.0, 2.0, 400),
            1e-15);
}

INSTANTIATE_TEST_SUITE_P(BothHermiteReadings, MissingKeys,
                         testing::Values(scene::HermiteTangents::scaled_by_spacing,
                                         scene::HermiteTangents::as_stored));

TEST(MissingKeysOfAnItem, LeaveEveryPitchKeyWithHeadingAndBankKeysAtItsTime) {
  // Heading and bank keyed every 3 frames, pitch every 4.
  scene::Scene scene;
  scene::Item &item = scene.add_item("Rig");
  for (int frame = 0; frame <= 96; ++frame) {
    const double time = frame / kFps;
    if (frame % 3 == 0) item.envelope("Rotation.H")->create(time, degrees(-30 + 0.9 * frame));
    if (frame % 3 == 0) item.envelope("Rotation.B")->create(time, degrees(10 - 0.3 * frame));
    if (frame % 4 == 0) item.envelope("Rotation.P")->create(time, degrees(20 + 0.8 * frame));
  }
  const motion::MissingKeys result =
      motion::add_missing_keys(item, kFps, scene::HermiteTangents::scaled_by_spacing);
  EXPECT_EQ(result.added, 2u * 16 + 24);  // heading and bank at the 16 pitch-only frames, pitch at 24
  for (const scene::Key *key = item.envelope("Rotation.P")->first(); key != nullptr; key = key->next) {
    EXPECT_NE(item.envelope("Rotation.H")->find(key->time), nullptr) << key->time;
    EXPECT_NE(item.envelope("Rotation.B")->find(key->time), nullptr) << key->time;
  }
  EXPECT_LT(result.largest_change, degrees(0.1)) << "straight ramps keyed as TCB stay nearly straight";
}

}  // namespace
