// Orientations, spins and slopes in every rotation order, against matrices
// multiplied out in the test.

#include <gtest/gtest.h>

#include <random>

#include "motion/channel_roles.h"
#include "motion/orientation.h"
#include "motion/spins.h"
#include "scene/scene.h"
#include "support/order_matrix.h"

namespace {

constexpr double kPi = 3.141592653589793;

testing_support::Matrix matrix_of(const motion::Orientation &q) {
  const double w = q.w, x = q.x, y = q.y, z = q.z;
  return testing_support::Matrix{{{1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y)},
                                  {2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x)},
                                  {2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y)}}};
}

KeyFrame::RotationOrder order_of(const std::string &letters) {
  return *KeyFrame::rotation_order_from_letters(letters);
}

TEST(RotationOrders, OrientationsComposeTheChannelsInTheItemsOrderAndTheOtherTripleTurnsTheMiddleOne) {
  std::mt19937_64 random(22);
  std::uniform_real_distribution<double> angle(-2 * kPi, 2 * kPi);
  for (const std::string &letters : testing_support::kOrderLetters) {
    const KeyFrame::RotationOrder order = order_of(letters);
    const motion::ChannelRoles roles = motion::channel_roles(order);
    for (int i = 0; i < 200; ++i) {
      const double v[3] = {angle(random), angle(random), angle(random)};
      const motion::Orientation q = motion::orientation_of(v[0], v[1], v[2], order);
      EXPECT_LT(testing_support::matrix_distance(matrix_of(q),
                                                 testing_support::order_matrix(letters, v[0], v[1], v[2])),
                1e-12)
          << letters;
      // (first + π, π − middle, last + π): the same orientation.
      double other[3] = {v[0], v[1], v[2]};
      other[roles.first] += kPi;
      other[roles.middle] = kPi - other[roles.middle];
      other[roles.last] += kPi;
      EXPECT_LT(testing_support::matrix_distance(
                    testing_support::order_matrix(letters, v[0], v[1], v[2]),
                    testing_support::order_matrix(letters, other[0], other[1], other[2])),
                1e-12)
          << letters;
      EXPECT_NEAR(motion::turn_between(q, motion::orientation_of(other[0], other[1], other[2], order)), 0.0,
                  1e-7)
          << letters;
    }
  }
}

// Heading held at 90°, pitch turning a whole turn and bank the whole turn
// back. In P-H-B, Rx(p)·Ry(90°)·Rz(b) = Rx(p + b)·Ry(90°): the item stands
// still. Read as H-P-B the same curves loop the item once round.
TEST(RotationOrders, SpinsAreThoseOfTheItemsOrder) {
  scene::Scene scene;
  scene::Item &item = scene.add_item("Rig");
  for (const double time : {0.0, 2.0}) item.envelope("Rotation.H")->create(time, kPi / 2);
  item.envelope("Rotation.P")->create(0.0, 0.0);
  item.envelope("Rotation.P")->create(2.0, 2 * kPi);
  item.envelope("Rotation.B")->create(0.0, 0.0);
  item.envelope("Rotation.B")->create(2.0, -2 * kPi);

  item.rotation_order = KeyFrame::RotationOrder::kPHB;
  EXPECT_TRUE(motion::find_spins(item, 30, scene::HermiteTangents::scaled_by_spacing).empty());
  item.rotation_order = KeyFrame::RotationOrder::kHPB;
  EXPECT_EQ(motion::find_spins(item, 30, scene::HermiteTangents::scaled_by_spacing).size(), 1u);
}

}  // namespace
