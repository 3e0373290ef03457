// "Tavorix:Scan" on random scenes: hundreds of items, each keyed along a
// smooth motion whose keys were stored flipped or whole turns away. The scan
// must keep every key's orientation and make heading and bank continuous.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "support/module_harness.h"
#include "support/orientation.h"
#include "support/rotation_keys.h"
#include "support/scene_builders.h"

namespace {

using KeyFrame::AngleTriple;
using testing_support::frame_distance;
using testing_support::key_times;
using testing_support::ModuleHarness;
using testing_support::orientation_tolerance;
using testing_support::rotation_key;
using testing_support::triple_distance;

constexpr double kPi = 3.141592653589793;
constexpr double kQuarterTurn = kPi / 2;

struct KeyedItem {
  scene::Item *item = nullptr;
  std::vector<double> times;
  std::vector<AngleTriple> stored;  // as keyed, before the scan
};

// A smooth motion sampled at random times: heading and bank move by at most
// 0.3 rad between keys, the pitch by at most 0.1 within ±1.2 rad (clear of
// the gimbal poles). Each key is stored as the motion's triple or its flipped
// twin, with each angle shifted by a random number of whole turns.
KeyedItem add_scrambled_item(scene::Scene &scene, const std::string &name, std::mt19937_64 &rng) {
  std::uniform_real_distribution<double> any_angle(-kPi, kPi);
  std::uniform_real_distribution<double> step(-0.3, 0.3);
  std::uniform_real_distribution<double> pitch_step(-0.1, 0.1);
  std::uniform_real_distribution<double> gap(0.05, 2.0);
  std::uniform_int_distribution<int> key_count(100, 400);
  std::uniform_int_distribution<int> turns(-2, 2);
  std::bernoulli_distribution flip(0.35), shift(0.35);

  KeyedItem keyed;
  keyed.item = &scene.add_item(name);
  AngleTriple motion{any_angle(rng), std::clamp(any_angle(rng), -1.2, 1.2), any_angle(rng)};
  double time = gap(rng) - 1.0;
  const int count = key_count(rng);
  for (int k = 0; k < count; ++k) {
    AngleTriple stored = motion;
    if (flip(rng)) stored = {stored.heading + kPi, kPi - stored.pitch, stored.bank + kPi};
    if (shift(rng)) {
      stored.heading += 2 * kPi * turns(rng);
      stored.pitch += 2 * kPi * turns(rng);
      stored.bank += 2 * kPi * turns(rng);
    }
    testing_support::set_rotation_key(*keyed.item, time, stored);
    keyed.times.push_back(time);
    keyed.stored.push_back(stored);

    time += gap(rng);
    motion.heading += step(rng);
    motion.bank += step(rng);
    motion.pitch += pitch_step(rng);
    if (std::fabs(motion.pitch) > 1.2) motion.pitch = std::copysign(2.4, motion.pitch) - motion.pitch;
  }
  return keyed;
}

TEST(ScanRandomScenes, KeepsEveryOrientationAndMakesHeadingAndBankContinuous) {
  std::mt19937_64 rng(20261208);
  for (const int item_count : {250, 120}) {
    SCOPED_TRACE(std::to_string(item_count) + " items");
    ModuleHarness m;
    std::vector<KeyedItem> keyed;
    std::vector<scene::Item *> selection;
    for (int i = 0; i < item_count; ++i) {
      keyed.push_back(add_scrambled_item(m.host.scene(), "Item" + std::to_string(i), rng));
      selection.push_back(keyed.back().item);
    }
    m.host.scene().select(selection);
    // Between two keys of some items, on a key of others, outside of some.
    m.host.scene().set_current_time(keyed.front().times[3] + 0.01);

    ASSERT_EQ(m.run("Tavorix:Scan"), AFUNC_OK);
    ASSERT_TRUE(m.host.services_balanced());

    std::vector<std::vector<AngleTriple>> scanned(keyed.size());
    for (std::size_t i = 0; i < keyed.size(); ++i) {
      const KeyedItem &k = keyed[i];
      SCOPED_TRACE(k.item->name);
      for (const char *channel : {"Rotation.H", "Rotation.P", "Rotation.B"}) {
        ASSERT_EQ(key_times(*k.item->envelope(channel)), k.times) << channel;
      }
      for (std::size_t j = 0; j < k.times.size(); ++j) {
        const AngleTriple after = *rotation_key(*k.item, k.times[j]);
        ASSERT_LT(frame_distance(after, k.stored[j]), orientation_tolerance(after)) << "key " << j;
        if (j > 0) {
          const AngleTriple &before = scanned[i].back();
          ASSERT_LE(std::fabs(after.heading - before.heading), kQuarterTurn) << "key " << j;
          ASSERT_LE(std::fabs(after.bank - before.bank), kQuarterTurn) << "key " << j;
        }
        scanned[i].push_back(after);
      }
    }

    // A second scan finds nothing left to change.
    ASSERT_EQ(m.run("Tavorix:Scan"), AFUNC_OK);
    for (std::size_t i = 0; i < keyed.size(); ++i) {
      for (std::size_t j = 0; j < keyed[i].times.size(); ++j) {
        ASSERT_LT(triple_distance(*rotation_key(*keyed[i].item, keyed[i].times[j]), scanned[i][j]), 1e-9)
            << keyed[i].item->name << " key " << j;
      }
    }
  }
}

}  // namespace
