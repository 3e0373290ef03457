// Large host data: 100,000 selected items, and an envelope of 1,000,000 keys
// per rotation channel. Every server must finish (within the test run's
// time, nothing here is timed) and handle every key correctly.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "hostile/hostile_scene.h"
#include "rotation/rotation_offset.h"

namespace {

using hostile::AngleTriple;
using hostile::HostileScene;
using hostile::key_at;
using hostile::kFrame;
using hostile::kPi;
using hostile::same_orientation;
using hostile::Server;
using hostile::text;

constexpr int kManyItems = 100000;
constexpr int kManyKeys = 1000000;
constexpr double kRadiansPerDegree = 0.017453292519943295;

AngleTriple flipped(const AngleTriple &a) { return {a.heading + kPi, kPi - a.pitch, a.bank + kPi}; }

// A smooth motion, sampled at `k`: small steps in every channel.
AngleTriple smooth(int k) { return {1e-4 * k, 0.6 * std::sin(k * 1e-3), 0.3 * std::cos(k * 7e-4)}; }

// The same motion as keys that flip: every third key holds the other
// triple, some a whole turn out.
AngleTriple stored(int k) {
  AngleTriple a = smooth(k);
  if (k % 3 == 1) a = flipped(a);
  if (k % 7 == 2) a.heading += 2 * kPi;
  return a;
}

class ManyItemsTest : public ::testing::TestWithParam<Server>, public HostileScene {};

TEST_P(ManyItemsTest, HundredThousandSelectedItems) {
  scene::Scene &s = scene();
  std::vector<scene::Item *> items;
  items.reserve(kManyItems);
  for (int i = 0; i < kManyItems; ++i) {
    scene::Item &item = s.add_item("Item" + std::to_string(i));
    testing_support::set_rotation_key(item, 0.0, stored(i));
    testing_support::set_rotation_key(item, kFrame, stored(i + 1));
    items.push_back(&item);
  }
  s.select(items);
  ASSERT_EQ(s.selection().size(), static_cast<std::size_t>(kManyItems));
  s.set_current_time(kFrame);

  run_and_check(GetParam());

  const Server server = GetParam();
  const AngleTriple first = stored(1);
  const AngleTriple turned = KeyFrame::apply_rotation_offset(
      first, {2 * kRadiansPerDegree, -1 * kRadiansPerDegree, 0.5 * kRadiansPerDegree});
  const AngleTriple change{turned.heading - first.heading, turned.pitch - first.pitch,
                           turned.bank - first.bank};
  int wrong = 0;
  for (int i = 0; i < kManyItems && wrong < 5; ++i) {
    const AngleTriple before = stored(i + 1), now = key_at(*items[i], kFrame);
    bool right = true;
    switch (server) {
      case Server::Scan:
        // Aligned to the key before it, the anchor, whichever triple that holds.
        right = testing_support::triple_distance(now, stored(i)) < 0.01 && same_orientation(before, now);
        break;
      case Server::Inferior:
      case Server::Superior: right = same_orientation(before, now); break;
      case Server::RealTime:
        // The reference item turns; every other follows by the same change.
        right = testing_support::triple_distance(
                    now, {before.heading + change.heading, before.pitch + change.pitch,
                          before.bank + change.bank}) < 1e-12;
        break;
    }
    if (!right) {
      ++wrong;
      ADD_FAILURE() << "item " << i << ": " << text(before) << " became " << text(now);
    }
    EXPECT_TRUE(hostile::same_bits(key_at(*items[i], 0.0), stored(i)))
        << "item " << i << ": the earlier key changed";
  }
}

INSTANTIATE_TEST_SUITE_P(EveryServer, ManyItemsTest, ::testing::ValuesIn(hostile::kAllServers),
                         hostile::server_test_name);

class ManyKeysTest : public ::testing::TestWithParam<Server>, public HostileScene {};

TEST_P(ManyKeysTest, MillionKeyEnvelopes) {
  scene::Item &item = testing_support::add_rotating_item(scene(), "A", {});
  scene::Envelope *envelopes[3] = {item.envelope("Rotation.H"), item.envelope("Rotation.P"),
                                   item.envelope("Rotation.B")};
  for (int k = 0; k < kManyKeys; ++k) {
    const AngleTriple a = stored(k);
    envelopes[0]->create(k * kFrame, a.heading);
    envelopes[1]->create(k * kFrame, a.pitch);
    envelopes[2]->create(k * kFrame, a.bank);
  }
  scene().select_only(&item);
  const int middle = kManyKeys / 2 + 2;  // a flipped key (k % 3 == 1)
  const double now = middle * kFrame;
  scene().set_current_time(now);

  run_and_check(GetParam());

  for (scene::Envelope *envelope : envelopes)
    EXPECT_EQ(envelope->size(), static_cast<std::size_t>(kManyKeys));
  const Server server = GetParam();
  if (server != Server::Scan) {
    // One key, at the current time, is handled; its neighbours are not.
    const AngleTriple handled = key_at(item, now);
    EXPECT_TRUE(hostile::is_finite(handled));
    if (server != Server::RealTime) {
      EXPECT_TRUE(same_orientation(stored(middle), handled)) << text(handled);
    }
    for (const int k : {0, middle - 1, middle + 1, kManyKeys - 1}) {
      EXPECT_TRUE(hostile::same_bits(key_at(item, k * kFrame), stored(k))) << k;
    }
    return;
  }
  // The scan walks every key: each keeps its orientation and follows the
  // one before it without a flip.
  int wrong = 0;
  const scene::Key *h = envelopes[0]->first(), *p = envelopes[1]->first(), *b = envelopes[2]->first();
  AngleTriple previous{h->value, p->value, b->value};
  for (int k = 0; k < kManyKeys && wrong < 5; ++k, h = h->next, p = p->next, b = b->next) {
    const AngleTriple a{h->value, p->value, b->value};
    const bool follows = k == 0 || testing_support::triple_distance(a, previous) < 0.01;
    if (!follows || !same_orientation(stored(k), a)) {
      ++wrong;
      ADD_FAILURE() << "key " << k << ": " << text(stored(k)) << " became " << text(a) << " after "
                    << text(previous);
    }
    previous = a;
  }
}

INSTANTIATE_TEST_SUITE_P(EveryServer, ManyKeysTest, ::testing::ValuesIn(hostile::kAllServers),
                         hostile::server_test_name);

}  // namespace
