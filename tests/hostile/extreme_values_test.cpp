// Finite edge values from the host, met by every server: key values of
// ±1e300, huge rotation amounts, key times one ulp apart, current times that
// are not finite, items without rotation channels. Each server must leave a
// key exactly as it was or rewrite it into a triple of the same orientation,
// and never spread a non-finite value.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "hostile_scene.h"

namespace {

using hostile::AngleTriple;
using hostile::HostileScene;
using hostile::HostileTest;
using hostile::key_at;
using hostile::kFrame;
using hostile::kInf;
using hostile::kNaN;
using hostile::kPi;
using hostile::same_bits;
using hostile::same_orientation;
using hostile::Server;
using hostile::text;

AngleTriple flipped(const AngleTriple &a) { return {a.heading + kPi, kPi - a.pitch, a.bank + kPi}; }

class EveryServerTest : public ::testing::TestWithParam<Server>, public HostileScene {
 protected:
  bool realtime() const { return GetParam() == Server::RealTime; }
};

// ---- Huge key values -----------------------------------------------------------

double largest_magnitude(const AngleTriple &a) {
  return std::fmax(std::fabs(a.heading), std::fmax(std::fabs(a.pitch), std::fabs(a.bank)));
}

// Keys of ±1e300, the largest doubles, and magnitudes on either side of the
// largest the corrections place (2^31 turns, about 1.35e10), next to
// ordinary and to huge neighbours. A key beyond that limit, or (but for the
// real-time watcher) whose neighbour is, is left exactly as it was: no triple placed near such a
// value can hold an orientation. The others keep their orientation, to the
// few parts in 1e16 of their neighbour's magnitude that placing whole turns
// costs.
TEST_P(EveryServerTest, HugeKeyValuesStayCorrectOrUntouched) {
  const double big = 1e300, max = std::numeric_limits<double>::max();
  const std::vector<std::vector<AngleTriple>> chains = {
      {{big, 0.2, -big}, {0.1, 0.2, 0.3}},
      {{0.1, 0.2, 0.3}, {-big, big, 0.5}},
      {{big, big, big}, {-big, -big, -big}},
      {{max, -max, max}, {max, max, -max}, {0.0, 0.1, 0.0}},
      {{1e15, 0.3, -1e15}, {1e15 + 4, 0.3, -1e15 + 4}},
      {{1.4e10, 0.3, 0.1}, {0.2, 0.3 + kPi, 0.1}},
      {{1e9, 0.3, -1e9}, {1e9 + 4, kPi - 0.31, -1e9 + 4}},
  };
  std::vector<scene::Item *> items;
  for (std::size_t i = 0; i < chains.size(); ++i) {
    std::vector<testing_support::TimedRotation> keys;
    for (std::size_t k = 0; k < chains[i].size(); ++k) keys.push_back({k * kFrame, chains[i][k]});
    items.push_back(&selected_item("Item" + std::to_string(i), keys));
  }
  constexpr double kLimit = 2147483648.0 * 2 * kPi;
  for (const double now : {0.0, kFrame}) {
    SCOPED_TRACE("current time " + std::to_string(now));
    scene().set_current_time(now);
    std::vector<std::vector<AngleTriple>> before(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
      for (std::size_t k = 0; k < chains[i].size(); ++k) before[i].push_back(key_at(*items[i], k * kFrame));
    }
    run_and_check(GetParam());
    for (std::size_t i = 0; i < items.size(); ++i) {
      double largest = 0.0;
      for (const AngleTriple &key : before[i]) largest = std::fmax(largest, largest_magnitude(key));
      for (std::size_t k = 0; k < chains[i].size(); ++k) {
        SCOPED_TRACE("item " + std::to_string(i) + " key " + std::to_string(k));
        const AngleTriple was = before[i][k], is = key_at(*items[i], k * kFrame);
        EXPECT_TRUE(hostile::is_finite(is)) << text(is);
        // The watcher places nothing towards a neighbour: only the key's own
        // magnitude counts there.
        if ((realtime() ? largest_magnitude(was) : largest) > kLimit) {
          EXPECT_TRUE(same_bits(is, was)) << text(was) << " became " << text(is);
          continue;
        }
        if (realtime()) continue;  // turned: another orientation
        const double tolerance = testing_support::orientation_tolerance(was) + 1e-15 * largest;
        EXPECT_LE(testing_support::frame_distance(was, is), tolerance) << text(was) << " became " << text(is);
      }
    }
  }
}

TEST_F(HostileTest, RealTimeHugeRotationAmountsGiveFiniteKeys) {
  scene::Item &a = selected_item("A", {{0.0, {0.3, -0.2, 0.1}}});
  scene::Item &b = selected_item("B", {{0.0, {1e300, 0.2, -1e300}}});
  for (const char *command :
       {"AddRotation 1e300 0 0", "AddRotation 0 1e308 0", "AddRotation 1e308 1e308 1e308",
        "AddRotation -1.7976931348623157e308 0 1e-320", "AddRotation 0x1p1000 0 0"}) {
    SCOPED_TRACE(command);
    step_command = command;
    run_and_check(Server::RealTime);
    EXPECT_TRUE(hostile::is_finite(key_at(a, 0.0))) << text(key_at(a, 0.0));
    EXPECT_TRUE(hostile::is_finite(key_at(b, 0.0))) << text(key_at(b, 0.0));
  }
}

// ---- Key times -------------------------------------------------------------------

// Two keys one ulp apart are two keys: the one at the current time, bit for
// bit, is the one handled, and the other is its neighbour.
TEST_P(EveryServerTest, KeysOneUlpApartAreTwoKeys) {
  const double t = 1.0, next = std::nextafter(1.0, 2.0);
  const AngleTriple first{0.2, 0.1, -0.1}, at_t{0.25, 0.12, -0.08}, at_next{0.3, 0.14, -0.06};
  for (const double now : {t, next}) {
    SCOPED_TRACE(now == t ? "current time t" : "current time t + 1 ulp");
    HostileScene h;
    scene::Item &item = h.selected_item("A", {{0.0, first}, {t, flipped(at_t)}, {next, at_next}});
    h.scene().set_current_time(now);
    h.run_and_check(GetParam());
    for (const char *name : hostile::kRotationChannels) EXPECT_EQ(item.envelope(name)->size(), 3u) << name;
    switch (GetParam()) {
      case Server::Scan:
        // Aligned along the chain: back to the smooth triples.
        EXPECT_LT(testing_support::triple_distance(key_at(item, t), at_t), 1e-9) << text(key_at(item, t));
        EXPECT_LT(testing_support::triple_distance(key_at(item, next), at_next), 1e-9);
        break;
      case Server::Inferior:
      case Server::Superior:
      case Server::RealTime: {
        const double other = now == t ? next : t;
        const AngleTriple untouched = now == t ? at_next : flipped(at_t);
        EXPECT_TRUE(same_bits(key_at(item, other), untouched)) << text(key_at(item, other));
        const AngleTriple handled = now == t ? flipped(at_t) : at_next;
        EXPECT_FALSE(same_bits(key_at(item, now), handled)) << "the key at the current time was not handled";
        if (GetParam() != Server::RealTime) {
          EXPECT_TRUE(same_orientation(handled, key_at(item, now)));
        }
        break;
      }
    }
  }
}

// The pitch key lies one ulp after the heading and bank keys: the scan finds
// no triple there and leaves those keys; the other servers make the missing
// keys at the current time without disturbing the near one.
TEST_P(EveryServerTest, ChannelKeysOneUlpApart) {
  const double t = 1.0, next = std::nextafter(1.0, 2.0);
  scene::Item &item = selected_item("A", {{0.0, {0.2, 0.1, -0.1}}});
  item.envelope("Rotation.H")->create(t, 0.25 + kPi);
  item.envelope("Rotation.P")->create(next, kPi - 0.12);
  item.envelope("Rotation.B")->create(t, -0.08 + kPi);
  scene().set_current_time(t);
  const hostile::KeyBits before = hostile::rotation_key_bits(scene());

  run_and_check(GetParam());

  const scene::Key *near_pitch = item.envelope("Rotation.P")->find(next);
  ASSERT_NE(near_pitch, nullptr);
  EXPECT_EQ(near_pitch->value, kPi - 0.12);
  if (GetParam() == Server::Scan) {
    EXPECT_EQ(hostile::rotation_key_bits(scene()), before);
    return;
  }
  // The pitch key made at t took its neighbour's value (the earlier key's).
  const AngleTriple made = key_at(item, t);
  EXPECT_TRUE(hostile::is_finite(made)) << text(made);
  if (GetParam() != Server::RealTime) {
    EXPECT_TRUE(same_orientation({0.25 + kPi, 0.1, -0.08 + kPi}, made)) << text(made);
  }
}

// A current time that is not finite: the host refuses keys there, so no
// server touches anything.
TEST_P(EveryServerTest, NonFiniteCurrentTimeChangesNothing) {
  selected_item("A", {{0.0, {0.2, 0.1, -0.1}}, {kFrame, flipped({0.25, 0.12, -0.08})}});
  selected_item("B", {{kFrame, {1.0, 2.0, 3.0}}});
  const hostile::KeyBits before = hostile::rotation_key_bits(scene());
  for (const double now : {kNaN, kInf, -kInf}) {
    SCOPED_TRACE(now);
    scene().set_current_time(now);
    if (GetParam() == Server::Scan) {
      // The scan walks whole envelopes; only its temporary keys depend on the time.
      const hostile::KeyBits keys_before = hostile::rotation_key_bits(scene());
      run_and_check(GetParam());
      EXPECT_EQ(hostile::key_count(hostile::rotation_key_bits(scene())), hostile::key_count(keys_before));
      continue;
    }
    run_and_check(GetParam());
    EXPECT_EQ(hostile::rotation_key_bits(scene()), before);
  }
}

// A huge but finite current time is a time like any other.
TEST_P(EveryServerTest, HugeCurrentTime) {
  scene::Item &item = selected_item("A", {{0.0, {0.2, 0.1, -0.1}}, {1e300, flipped({0.25, 0.12, -0.08})}});
  scene().set_current_time(1e300);
  run_and_check(GetParam());
  for (const char *name : hostile::kRotationChannels) EXPECT_EQ(item.envelope(name)->size(), 2u) << name;
  const AngleTriple now = key_at(item, 1e300);
  EXPECT_TRUE(hostile::is_finite(now));
  if (GetParam() == Server::Scan) {
    EXPECT_LT(testing_support::triple_distance(now, {0.25, 0.12, -0.08}), 1e-9);
  }
}

// ---- Items without rotation channels ------------------------------------------------

// Selected items with no channels, without rotation channels, with two of the
// three, or with a rotation channel that is not of angle type get no key and
// keep what they have; the rotating item among them is handled.
TEST_P(EveryServerTest, ItemsWithoutRotationChannelsAreLeftAlone) {
  scene::Scene &s = scene();
  scene::Item &none = s.add_item_with_channels("NoChannels", scene::ItemKind::Null, {});
  scene::Item &position = s.add_item_with_channels("PositionOnly", scene::ItemKind::Null, {"Position.X"});
  position.envelope("Position.X")->create(0.0, 1.0);
  scene::Item &two =
      s.add_item_with_channels("TwoOfThree", scene::ItemKind::Null, {"Rotation.H", "Rotation.P"});
  two.envelope("Rotation.H")->create(0.0, 0.5);
  scene::Item &untyped = testing_support::add_rotating_item(s, "UntypedBank", {{0.0, {0.1, 0.2, 0.3}}});
  untyped.channel("Rotation.B")->type = 0;
  for (scene::Item *item : {&none, &position, &two, &untyped}) s.add_to_selection(item);
  scene::Item &good =
      selected_item("Good", {{0.0, {0.2, 0.1, -0.1}}, {kFrame, flipped({0.25, 0.12, -0.08})}});
  s.set_current_time(kFrame);
  const hostile::KeyBits before = hostile::rotation_key_bits(s);

  run_and_check(GetParam());

  EXPECT_EQ(hostile::without_keys_at(hostile::rotation_key_bits(s), good, kFrame),
            hostile::without_keys_at(before, good, kFrame))
      << "a key of an item without rotation channels changed";
  EXPECT_EQ(position.envelope("Position.X")->size(), 1u);
  EXPECT_FALSE(same_bits(key_at(good, kFrame), flipped({0.25, 0.12, -0.08})))
      << "the rotating item was not handled";
}

TEST_P(EveryServerTest, SelectionOfItemsWithoutRotationChannelsOnly) {
  scene::Scene &s = scene();
  s.add_to_selection(&s.add_item_with_channels("NoChannels", scene::ItemKind::Null, {}));
  s.add_to_selection(&s.add_item_with_channels("Position", scene::ItemKind::Null, {"Position.X"}));
  run_and_check(GetParam());
  EXPECT_EQ(hostile::key_count(hostile::rotation_key_bits(s)), 0u);
}

TEST_P(EveryServerTest, EmptySelection) {
  selected_item("A", {{0.0, {0.2, 0.1, -0.1}}});
  scene().clear_selection();
  const hostile::KeyBits before = hostile::rotation_key_bits(scene());
  run_and_check(GetParam());
  EXPECT_EQ(hostile::rotation_key_bits(scene()), before);
}

INSTANTIATE_TEST_SUITE_P(EveryServer, EveryServerTest, ::testing::ValuesIn(hostile::kAllServers),
                         hostile::server_test_name);

}  // namespace
