// "Tavorix:InferiorAngle" and "Tavorix:SuperiorAngle" through the built module
// in the stand-in host: collection at the current time, correction, writes.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "support/module_harness.h"
#include "support/orientation.h"
#include "support/rotation_keys.h"

namespace {

using KeyFrame::AngleTriple;
using testing_support::ModuleHarness;
using testing_support::rotation_key;
using testing_support::set_rotation_key;
using testing_support::triple_distance;

constexpr double kPi = 3.141592653589793;
constexpr double kTolerance = 1e-12;

#define EXPECT_TRIPLE_NEAR(actual, expected)                   \
  EXPECT_LT(triple_distance((actual), (expected)), kTolerance) \
      << "got (" << (actual).heading << ", " << (actual).pitch << ", " << (actual).bank << ")"

constexpr const char *kInferior = "Tavorix:InferiorAngle";
constexpr const char *kSuperior = "Tavorix:SuperiorAngle";

using AngleCommandTest = testing_support::ModuleTest;

TEST_F(AngleCommandTest, KeyAtCurrentTimeIsFoundAndCorrectedAgainstThePreviousKey) {
  scene::Item &item = selected_item("A");
  set_rotation_key(item, 0.0, {0, 0, 0});
  set_rotation_key(item, 1.0, {0, kPi / 6, 0});
  const scene::Key *pitch_key = item.envelope("Rotation.P")->find(1.0);
  scene().set_current_time(1.0);

  ASSERT_EQ(m.run(kInferior), AFUNC_OK);
  EXPECT_TRIPLE_NEAR(*rotation_key(item, 1.0), (AngleTriple{kPi, 5 * kPi / 6, kPi}));
  EXPECT_EQ(item.envelope("Rotation.P")->find(1.0), pitch_key);  // same key, not a new one
  EXPECT_EQ(item.envelope("Rotation.P")->size(), 2u);
  EXPECT_TRIPLE_NEAR(*rotation_key(item, 0.0), (AngleTriple{0, 0, 0}));
}

TEST_F(AngleCommandTest, ChannelWithoutKeysGetsOneAtTheCurrentTime) {
  scene::Item &item = selected_item("A");
  item.envelope("Rotation.P")->create(2.0, kPi / 6);
  scene().set_current_time(2.0);

  ASSERT_EQ(m.run(kInferior), AFUNC_OK);
  EXPECT_EQ(item.envelope("Rotation.H")->size(), 1u);
  EXPECT_EQ(item.envelope("Rotation.B")->size(), 1u);
  EXPECT_TRIPLE_NEAR(*rotation_key(item, 2.0), (AngleTriple{kPi, 5 * kPi / 6, kPi}));
}

TEST_F(AngleCommandTest, CreatedKeysAreSeededFromTheEarlierNeighbourElseTheLaterOne) {
  scene::Item &later_only = selected_item("LaterOnly");
  set_rotation_key(later_only, 5.0, {0, kPi / 6, 0});
  scene::Item &both = selected_item("Both");
  set_rotation_key(both, 0.0, {0, kPi / 6, 0});
  set_rotation_key(both, 1.5, {1, 1, 1});  // nearer in time, but later
  scene().set_current_time(1.0);

  ASSERT_EQ(m.run(kInferior), AFUNC_OK);
  // Seeded with (0, pi/6, 0) and corrected against it: the key already holds
  // the canonical pitch, so it receives the other triple.
  EXPECT_TRIPLE_NEAR(*rotation_key(later_only, 1.0), (AngleTriple{kPi, 5 * kPi / 6, kPi}));
  EXPECT_TRIPLE_NEAR(*rotation_key(both, 1.0), (AngleTriple{kPi, 5 * kPi / 6, kPi}));
  // Keys at other times are untouched.
  EXPECT_TRIPLE_NEAR(*rotation_key(later_only, 5.0), (AngleTriple{0, kPi / 6, 0}));
  EXPECT_TRIPLE_NEAR(*rotation_key(both, 1.5), (AngleTriple{1, 1, 1}));
}

TEST_F(AngleCommandTest, NothingSelectedMakesNoEnvelopeCall) {
  scene::Item &item = scene().add_item("Unselected");
  set_rotation_key(item, 0.0, {0, kPi / 6, 0});
  m.host.record_envelope_calls(true);
  EXPECT_EQ(m.run(kInferior), AFUNC_OK);
  EXPECT_EQ(m.run(kSuperior), AFUNC_OK);
  EXPECT_TRUE(m.host.envelope_calls().empty());
}

TEST_F(AngleCommandTest, ItemWithoutRotationChannelsIsLeftAlone) {
  scene::Item &plain = scene().add_item_with_channels("NoRotation", scene::ItemKind::Light,
                                                      {"Position.X", "Rotation.H", "Rotation.P"});
  scene().add_to_selection(&plain);
  scene::Item &item = selected_item("A");
  set_rotation_key(item, 0.0, {0, kPi / 6, 0});

  ASSERT_EQ(m.run(kInferior), AFUNC_OK);
  EXPECT_EQ(plain.envelope("Rotation.H")->size(), 0u);
  EXPECT_EQ(plain.envelope("Rotation.P")->size(), 0u);
  EXPECT_TRIPLE_NEAR(*rotation_key(item, 0.0), (AngleTriple{kPi, 5 * kPi / 6, kPi}));
}

TEST_F(AngleCommandTest, HostSeesWritesInRecordOrder) {
  std::vector<scene::Item *> items;
  for (int i = 0; i < 64; ++i) {
    items.push_back(&selected_item("Item" + std::to_string(i)));
    set_rotation_key(*items.back(), 0.0, {0.01 * i, 0.3 + 0.01 * i, -0.02 * i});
  }
  m.host.record_envelope_calls(true);
  ASSERT_EQ(m.run(kSuperior), AFUNC_OK);

  std::vector<const scene::Envelope *> written;
  for (const host::EnvelopeCall &call : m.host.envelope_calls()) {
    if (call.op == "keySet") written.push_back(call.envelope);
  }
  std::vector<const scene::Envelope *> expected;
  for (scene::Item *item : items) {
    expected.push_back(item->envelope("Rotation.H"));
    expected.push_back(item->envelope("Rotation.P"));
    expected.push_back(item->envelope("Rotation.B"));
  }
  EXPECT_EQ(written, expected);
}

TEST_F(AngleCommandTest, SuperiorPutsThePitchOneTurnOut) {
  scene::Item &item = selected_item("A");
  set_rotation_key(item, 0.0, {0, kPi / 6, 0});
  ASSERT_EQ(m.run(kSuperior), AFUNC_OK);
  EXPECT_TRIPLE_NEAR(*rotation_key(item, 0.0), (AngleTriple{0, -11 * kPi / 6, 0}));
}

TEST_F(AngleCommandTest, RepeatedRunsToggleBetweenTwoTriples) {
  struct Case {
    const char *server;
    int settled_after;  // runs before the alternation starts
  };
  for (const Case c : {Case{kInferior, 0}, Case{kSuperior, 1}}) {
    SCOPED_TRACE(c.server);
    ModuleHarness h;
    scene::Item &item = h.host.scene().add_item("A");
    h.host.scene().select_only(&item);
    set_rotation_key(item, 0.0, {0.3, -0.2, 0.1});
    set_rotation_key(item, 1.0, {0.7, 0.4, -0.3});
    h.host.scene().set_current_time(1.0);
    const AngleTriple original = *rotation_key(item, 1.0);
    std::vector<AngleTriple> seen;
    for (int run = 0; run < 8; ++run) {
      ASSERT_EQ(h.run(c.server), AFUNC_OK);
      seen.push_back(*rotation_key(item, 1.0));
      EXPECT_LT(testing_support::frame_distance(seen.back(), original), 1e-9);
    }
    for (std::size_t i = c.settled_after + 2; i < seen.size(); ++i) {
      EXPECT_LT(triple_distance(seen[i], seen[i - 2]), 1e-9) << "run " << i;
      EXPECT_GT(triple_distance(seen[i], seen[i - 1]), 0.1) << "run " << i;
    }
  }
}

TEST_F(AngleCommandTest, KeyHoldingNonFiniteValueIsLeftAsItWas) {
  scene::Item &item = selected_item("A");
  set_rotation_key(item, 0.0, {0.5, std::nan(""), 0.25});
  scene::Item &seeded = selected_item("B");
  set_rotation_key(seeded, 0.0, {INFINITY, 0.1, 0.2});
  scene().set_current_time(0.0);
  ASSERT_EQ(m.run(kInferior), AFUNC_OK);
  const AngleTriple after = *rotation_key(item, 0.0);
  EXPECT_EQ(after.heading, 0.5);
  EXPECT_TRUE(std::isnan(after.pitch));
  EXPECT_EQ(after.bank, 0.25);

  // A key created next to a non-finite neighbour keeps 0 on that channel.
  scene().set_current_time(1.0);
  ASSERT_EQ(m.run(kInferior), AFUNC_OK);
  EXPECT_EQ(seeded.envelope("Rotation.H")->find(1.0)->value, 0.0);
}

TEST_F(AngleCommandTest, RandomScenesKeepEveryOrientation) {
  std::mt19937_64 rng(20261208);
  std::uniform_real_distribution<double> angle(-4 * kPi, 4 * kPi);
  std::vector<scene::Item *> items;
  std::vector<AngleTriple> before;
  for (int i = 0; i < 300; ++i) {
    scene::Item &item = selected_item("Item" + std::to_string(i));
    set_rotation_key(item, 0.0, {angle(rng), angle(rng), angle(rng)});
    const AngleTriple at_one{angle(rng), angle(rng), angle(rng)};
    if (i % 3 != 0) set_rotation_key(item, 1.0, at_one);  // others get created keys
    items.push_back(&item);
    before.push_back(i % 3 != 0 ? at_one : *rotation_key(item, 0.0));
  }
  scene().set_current_time(1.0);
  for (const char *server : {kInferior, kSuperior, kInferior}) {
    ASSERT_EQ(m.run(server), AFUNC_OK);
    for (std::size_t i = 0; i < items.size(); ++i) {
      const AngleTriple after = *rotation_key(*items[i], 1.0);
      EXPECT_LT(testing_support::frame_distance(after, before[i]),
                testing_support::orientation_tolerance(after))
          << server << " item " << i;
    }
  }
}

}  // namespace
