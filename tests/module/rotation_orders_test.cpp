// Items of every rotation order through the built module: the scan and both
// toggles keep each key's orientation as the order composes it (checked with
// a matrix product written here, not the module's code), the scan leaves the
// first and last letters' channels continuous, a host without "LW Item Info
// 9" gives the classic results, and an order the module does not know leaves
// its item alone. Run against a module built with older headers too
// (TAVORIX_TEST_MODULE), where the order is reached past the older table.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "host/service_tables.h"
#include "support/module_harness.h"
#include "support/order_matrix.h"
#include "support/rotation_keys.h"
#include "support/scene_builders.h"

namespace {

using KeyFrame::AngleTriple;
using KeyFrame::RotationOrder;
using testing_support::add_rotating_item;
using testing_support::channel;
using testing_support::kOrderLetters;
using testing_support::order_matrix_distance;
using testing_support::other_triple;
using testing_support::rotation_key;
using testing_support::TimedRotation;

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kOrientationTolerance = 1e-9;

constexpr const char *kScan = "Tavorix:Scan";
constexpr const char *kInferior = "Tavorix:InferiorAngle";
constexpr const char *kSuperior = "Tavorix:SuperiorAngle";

RotationOrder order_number(int value) { return static_cast<RotationOrder>(value); }

// Random triples whose middle and last letters' channels stay clear of a
// quarter turn, where a read-back is ill-conditioned.
std::vector<AngleTriple> well_conditioned_triples(const std::string &letters, int count, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> angle(-3.1, 3.1);
  std::vector<AngleTriple> triples;
  while (static_cast<int>(triples.size()) < count) {
    const AngleTriple a{angle(rng), angle(rng), angle(rng)};
    if (std::fabs(std::cos(channel(a, letters[1]))) < 0.1 ||
        std::fabs(std::cos(channel(a, letters[2]))) < 0.1)
      continue;
    triples.push_back(a);
  }
  return triples;
}

std::vector<AngleTriple> keys_of(const scene::Item &item, int count) {
  std::vector<AngleTriple> keys;
  for (int k = 0; k < count; ++k) keys.push_back(rotation_key(item, k).value_or(AngleTriple{}));
  return keys;
}

void expect_same_orientations(const std::string &letters, const std::vector<AngleTriple> &before,
                              const std::vector<AngleTriple> &after) {
  ASSERT_EQ(before.size(), after.size());
  for (std::size_t k = 0; k < before.size(); ++k) {
    EXPECT_LT(order_matrix_distance(letters, before[k], after[k]), kOrientationTolerance)
        << letters << " key " << k << ": (" << before[k].heading << ", " << before[k].pitch << ", "
        << before[k].bank << ") became (" << after[k].heading << ", " << after[k].pitch << ", "
        << after[k].bank << ")";
  }
}

struct RotationOrderTest : testing_support::ModuleTest, ::testing::WithParamInterface<int> {
  std::string letters() const { return kOrderLetters[static_cast<std::size_t>(GetParam())]; }

  scene::Item &ordered_item(const std::string &name, const std::vector<AngleTriple> &keys) {
    std::vector<TimedRotation> timed;
    for (std::size_t k = 0; k < keys.size(); ++k) timed.push_back({static_cast<double>(k), keys[k]});
    scene::Item &item = add_rotating_item(scene(), name, timed);
    item.rotation_order = order_number(GetParam());
    scene().add_to_selection(&item);
    return item;
  }
};

TEST_P(RotationOrderTest, ScanKeepsEveryOrientationAndSmoothsTheOuterChannels) {
  // Smooth motion: steps of at most 0.15 rad, the middle channel within
  // ±1.2 rad so that no key comes near the gimbal limit.
  const std::string l = letters();
  constexpr int kKeys = 60;
  std::vector<AngleTriple> smooth(kKeys), planted(kKeys);
  for (int k = 0; k < kKeys; ++k) {
    const double t = 0.1 * k;
    AngleTriple a;
    channel(a, l[0]) = 2.5 * std::sin(0.6 * t) + 0.4 * t;
    channel(a, l[1]) = 1.2 * std::sin(0.9 * t + 0.3);
    channel(a, l[2]) = 1.5 * std::cos(0.7 * t) - 0.3 * t;
    smooth[k] = a;
    planted[k] = a;
    // Flips and whole turns planted along the chain (never at the anchor).
    if (k % 5 == 3) planted[k] = other_triple(l, a);
    if (k % 7 == 2) {
      channel(planted[k], l[0]) += kTwoPi;
      channel(planted[k], l[2]) -= 2 * kTwoPi;
    }
  }
  scene::Item &item = ordered_item("Item", planted);
  ASSERT_EQ(m.run(kScan), AFUNC_OK);

  const std::vector<AngleTriple> scanned = keys_of(item, kKeys);
  expect_same_orientations(l, planted, scanned);
  for (int k = 1; k < kKeys; ++k) {
    EXPECT_LT(std::fabs(channel(scanned[k], l[0]) - channel(scanned[k - 1], l[0])), kPi / 2) << l << " " << k;
    EXPECT_LT(std::fabs(channel(scanned[k], l[2]) - channel(scanned[k - 1], l[2])), kPi / 2) << l << " " << k;
    // Back on the smooth motion it was made from.
    EXPECT_LT(testing_support::triple_distance(scanned[k], smooth[k]), 1e-9) << l << " " << k;
  }
}

TEST_P(RotationOrderTest, ScanOfRandomKeysKeepsEveryOrientation) {
  const std::string l = letters();
  const std::vector<AngleTriple> keys = well_conditioned_triples(l, 200, 41 + GetParam());
  scene::Item &item = ordered_item("Item", keys);
  ASSERT_EQ(m.run(kScan), AFUNC_OK);
  expect_same_orientations(l, keys, keys_of(item, 200));
}

TEST_P(RotationOrderTest, TogglesKeepTheOrientationAndToggleTheMiddleChannel) {
  const std::string l = letters();
  const std::vector<AngleTriple> triples = well_conditioned_triples(l, 40, 7 + GetParam());
  for (const char *server : {kInferior, kSuperior}) {
    // Items keyed at 0, 1 and 2; the toggle rewrites the key at 1.
    std::vector<scene::Item *> items;
    for (std::size_t i = 0; i + 2 < triples.size(); i += 3) {
      items.push_back(&ordered_item(std::string(server) + std::to_string(i),
                                    {triples[i], triples[i + 1], triples[i + 2]}));
    }
    scene().set_current_time(1.0);
    auto current_keys = [&] {
      std::vector<AngleTriple> keys;
      for (const scene::Item *item : items) keys.push_back(*rotation_key(*item, 1.0));
      return keys;
    };
    const std::vector<AngleTriple> before = current_keys();
    // Three runs: the first places the key, the next two toggle it.
    std::vector<std::vector<AngleTriple>> runs;
    for (int run = 0; run < 3; ++run) {
      ASSERT_EQ(m.run(server), AFUNC_OK);
      runs.push_back(current_keys());
      expect_same_orientations(l, before, runs.back());
    }
    // The superior variant keeps its pitch a turn out and places it again,
    // so only the inferior one is sure to alternate.
    for (std::size_t i = 0; server == std::string(kInferior) && i < items.size(); ++i) {
      // The other triple: the middle channel is another angle...
      const double middle_change = channel(runs[1][i], l[1]) - channel(runs[0][i], l[1]);
      EXPECT_GT(std::fabs(std::remainder(middle_change, kTwoPi)), 0.1) << l << " " << i;
      // ...and back: the triple it had, up to whole turns.
      for (char letter : l) {
        const double change = channel(runs[2][i], letter) - channel(runs[0][i], letter);
        EXPECT_LT(std::fabs(std::remainder(change, kTwoPi)), 1e-9) << l << " " << i << " " << letter;
      }
    }
    scene().clear_selection();
  }
}

INSTANTIATE_TEST_SUITE_P(EveryOrder, RotationOrderTest, ::testing::Range(0, 6),
                         [](const ::testing::TestParamInfo<int> &param) {
                           return kOrderLetters[static_cast<std::size_t>(param.param)];
                         });

// The same keys scanned in two hosts; the results must agree bit for bit.
std::vector<AngleTriple> scanned_keys(const std::vector<AngleTriple> &keys, RotationOrder order,
                                      bool withhold_item_info_9) {
  testing_support::ModuleHarness h;
  if (withhold_item_info_9) h.host.withhold(host::kItemInfoSince2020);
  std::vector<TimedRotation> timed;
  for (std::size_t k = 0; k < keys.size(); ++k) timed.push_back({static_cast<double>(k), keys[k]});
  scene::Item &item = add_rotating_item(h.host.scene(), "Item", timed);
  item.rotation_order = order;
  h.host.scene().add_to_selection(&item);
  EXPECT_EQ(h.run(kScan), AFUNC_OK);
  EXPECT_TRUE(h.host.services_balanced());
  return keys_of(item, static_cast<int>(keys.size()));
}

void expect_bitwise_equal(const std::vector<AngleTriple> &a, const std::vector<AngleTriple> &b) {
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t k = 0; k < a.size(); ++k) {
    EXPECT_EQ(a[k].heading, b[k].heading) << k;
    EXPECT_EQ(a[k].pitch, b[k].pitch) << k;
    EXPECT_EQ(a[k].bank, b[k].bank) << k;
  }
}

TEST(RotationOrderHost, ClassicOrderGivesWhatAHostWithoutOrdersGives) {
  std::vector<AngleTriple> keys = well_conditioned_triples("HPB", 300, 5);
  for (std::size_t k = 4; k < keys.size(); k += 9) keys[k] = other_triple("HPB", keys[k]);
  expect_bitwise_equal(scanned_keys(keys, RotationOrder::kHPB, false),
                       scanned_keys(keys, RotationOrder::kHPB, true));
}

TEST(RotationOrderHost, HostWithoutItemInfo9TreatsEveryItemAsClassic) {
  // An item the scene calls P-H-B, in a host that cannot say so, is
  // corrected as H-P-B (as every item of such a host is).
  const std::vector<AngleTriple> keys = well_conditioned_triples("HPB", 100, 9);
  expect_bitwise_equal(scanned_keys(keys, RotationOrder::kPHB, true),
                       scanned_keys(keys, RotationOrder::kHPB, false));
  testing_support::ModuleHarness h;
  h.host.withhold(host::kItemInfoSince2020);
  add_rotating_item(h.host.scene(), "Item", {{0.0, {0.1, 0.2, 0.3}}});
  h.host.scene().select_only(h.host.scene().find_item("Item"));
  ASSERT_EQ(h.run(kInferior), AFUNC_OK);
  const host::ServiceUse use = h.host.use_of(host::kItemInfoSince2020);
  EXPECT_EQ(use.refused, 1);
  EXPECT_EQ(use.release, 0);  // never released what it was not given
}

TEST(RotationOrderHost, ItemInfo9IsReleasedAsOftenAsAcquired) {
  testing_support::ModuleHarness h;
  add_rotating_item(h.host.scene(), "Item", {{0.0, {0.1, 0.2, 0.3}}, {1.0, {0.2, 0.3, 0.4}}});
  h.host.scene().select_only(h.host.scene().find_item("Item"));
  for (const char *server : {kScan, kInferior, kSuperior}) ASSERT_EQ(h.run(server), AFUNC_OK) << server;
  const host::ServiceUse use = h.host.use_of(host::kItemInfoSince2020);
  EXPECT_EQ(use.acquire, 3);
  EXPECT_EQ(use.release, 3);
}

TEST(RotationOrderHost, ItemOfAnUnknownOrderIsLeftExactlyAsItWas) {
  for (const int unknown : {-1, 6, 1000}) {
    for (const char *server : {kScan, kInferior, kSuperior}) {
      testing_support::ModuleHarness h;
      scene::Scene &scene = h.host.scene();
      // The key at 2 holds the other triple of (0.15, 0.25, 0.35).
      const std::vector<TimedRotation> keys = {{0.0, {0.1, 0.2, 0.3}},
                                               {2.0, other_triple("HPB", {0.15, 0.25, 0.35})}};
      scene::Item &strange = add_rotating_item(scene, "Strange", keys);
      strange.rotation_order = order_number(unknown);
      scene::Item &plain = add_rotating_item(scene, "Plain", keys);
      scene.select({&strange, &plain});
      scene.set_current_time(1.0);  // no key there: a toggle would create one

      ASSERT_EQ(h.run(server), AFUNC_OK) << server;
      for (const char *name : {"Rotation.H", "Rotation.P", "Rotation.B"}) {
        EXPECT_EQ(strange.envelope(name)->size(), 2u) << server << " " << unknown << " " << name;
      }
      const std::string what = std::string(server) + " " + std::to_string(unknown);
      for (const TimedRotation &key : keys) {
        const AngleTriple kept = *rotation_key(strange, key.time);
        EXPECT_EQ(kept.heading, key.angles.heading) << what;
        EXPECT_EQ(kept.pitch, key.angles.pitch) << what;
        EXPECT_EQ(kept.bank, key.angles.bank) << what;
      }
      // The item beside it is corrected as usual.
      if (std::string(server) == kScan) {
        EXPECT_NEAR(rotation_key(plain, 2.0)->heading, 0.15, 1e-9) << what;
      } else {
        EXPECT_TRUE(rotation_key(plain, 1.0).has_value()) << what;
      }
      EXPECT_TRUE(h.host.services_balanced());
    }
  }
}

}  // namespace
