// Spins the viewer sees: spans between rotation keys along which the
// evaluated orientation travels more than a quarter turn further than the
// shortest turn between the ends.

#include "motion/spins.h"

#include <gtest/gtest.h>

#include "curve_builders.h"
#include "motion/angular_speed.h"
#include "scene/scene.h"

namespace {

using motion_testing::add_shaped_keys;
using motion_testing::degrees;
using motion_testing::shape_of;

constexpr double kFps = 30.0;

class Spins : public testing::Test {
 protected:
  scene::Scene scene;
  scene::Item &item = scene.add_item("Rig");
  scene::Envelope &heading = *item.envelope("Rotation.H");
  scene::Envelope &pitch = *item.envelope("Rotation.P");
  scene::Envelope &bank = *item.envelope("Rotation.B");

  std::vector<motion::Spin> spins() const {
    return motion::find_spins(item, kFps, scene::HermiteTangents::scaled_by_spacing);
  }
};

TEST_F(Spins, AHeadingTurningTheLongWayIsOneWithItsTravelAndShortestTurn) {
  const scene::KeyShape linear = shape_of(scene::kSpanLinear);
  add_shaped_keys(
      heading,
      {{0.0, degrees(130), linear}, {2.8, degrees(126.3), linear}, {4.6667, degrees(-140.2), linear}});
  add_shaped_keys(pitch, {{0.0, 0.0, linear}, {4.6667, 0.0, linear}});
  add_shaped_keys(bank, {{0.0, degrees(-11), linear}, {4.6667, degrees(-11), linear}});
  const std::vector<motion::Spin> found = spins();
  ASSERT_EQ(found.size(), 1u);
  EXPECT_DOUBLE_EQ(found[0].from, 2.8);
  EXPECT_DOUBLE_EQ(found[0].to, 4.6667);
  EXPECT_NEAR(found[0].travel, degrees(266.5), 1e-9);
  EXPECT_NEAR(found[0].shortest, degrees(93.5), 1e-9);
}

TEST_F(Spins, TurnsWithinAQuarterTurnOfTheShortestAreNone) {
  // 170° is the shortest way; 30 frames of a slow TCB wobble in pitch and
  // bank add far less than a quarter turn.
  add_shaped_keys(heading, {{0.0, 0.0, {}}, {1.0, degrees(170), {}}});
  add_shaped_keys(pitch, {{0.0, 0.0, {}}, {0.5, degrees(20), {}}, {1.0, 0.0, {}}});
  add_shaped_keys(bank, {{0.0, 0.0, {}}, {1.0, degrees(10), {}}});
  EXPECT_TRUE(spins().empty());
}

TEST_F(Spins, AreFoundBetweenKeysOfAnyChannelAndFollowTheCurvesNotTheKeys) {
  // Every key agrees with a still item, but the Hermite tangents make the
  // heading swing out a whole turn and back between the keys at 1 s and 2 s:
  // only the evaluated curve shows it.
  add_shaped_keys(heading, {{0.0, 0.0, shape_of(scene::kSpanHermite)},
                            {2.0, 0.0, shape_of(scene::kSpanHermite, {0, 0, 0, 0, 0})}});
  heading.set_shape(heading.first(), shape_of(scene::kSpanHermite, {0, 0, 0, 0, 8 * degrees(360)}));
  add_shaped_keys(pitch, {{0.0, 0.0, {}}, {1.0, 0.0, {}}, {2.0, 0.0, {}}});
  add_shaped_keys(bank, {{0.0, 0.0, {}}, {2.0, 0.0, {}}});
  const std::vector<motion::Spin> found = spins();
  ASSERT_FALSE(found.empty());
  EXPECT_DOUBLE_EQ(found[0].from, 0.0);
  EXPECT_DOUBLE_EQ(found[0].to, 1.0);  // the pitch key splits the heading's span
}

TEST_F(Spins, AnItemWithoutRotationKeysHasNone) { EXPECT_TRUE(spins().empty()); }

TEST_F(Spins, AngularSpeedIsTheTurnPerFrame) {
  const scene::KeyShape linear = shape_of(scene::kSpanLinear);
  add_shaped_keys(heading, {{0.0, 0.0, linear}, {1.0, degrees(90), linear}});  // 3° a frame
  const std::vector<motion::SpeedSample> speeds =
      motion::angular_speed(item, kFps, scene::HermiteTangents::scaled_by_spacing, 0.0, 1.0, 4);
  ASSERT_EQ(speeds.size(), 120u);
  for (const motion::SpeedSample &sample : speeds) EXPECT_NEAR(sample.speed, degrees(3), 1e-9);
  EXPECT_NEAR(speeds.front().time, 1.0 / 240, 1e-12);
}

}  // namespace
