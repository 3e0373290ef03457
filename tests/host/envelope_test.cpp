#include "scene/envelope.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

#include "support/scene_builders.h"

namespace {

using scene::Envelope;
using scene::Key;
using testing_support::add_keys;
using testing_support::key_times;
using testing_support::keys_of;
using testing_support::link_fault;

TEST(Envelope, KeysStayInTimeOrderWhateverTheInsertionOrder) {
  std::vector<double> times(200);
  std::iota(times.begin(), times.end(), -50.0);
  std::mt19937 random(1234);
  std::shuffle(times.begin(), times.end(), random);

  Envelope envelope;
  for (double time : times) ASSERT_NE(envelope.create(time * 0.25, time), nullptr);

  EXPECT_EQ(link_fault(envelope), "");
  std::vector<double> walked = key_times(envelope);
  EXPECT_EQ(walked.size(), times.size());
  EXPECT_TRUE(std::is_sorted(walked.begin(), walked.end()));
  EXPECT_EQ(envelope.first()->time, -12.5);
  EXPECT_EQ(envelope.last()->time, 37.25);
}

TEST(Envelope, HandlesStayValidWhileOtherKeysComeAndGo) {
  Envelope envelope;
  Key *kept = envelope.create(5.0, 0.7);
  std::vector<Key *> others;
  for (int i = 0; i < 500; ++i) others.push_back(envelope.create(i * 0.01, i));
  for (std::size_t i = 0; i < others.size(); i += 2) ASSERT_TRUE(envelope.destroy(others[i]));

  EXPECT_EQ(envelope.find(5.0), kept);
  EXPECT_EQ(kept->time, 5.0);
  EXPECT_EQ(kept->value, 0.7);
  EXPECT_EQ(envelope.last(), kept);
  EXPECT_EQ(envelope.size(), 251u);
  EXPECT_EQ(link_fault(envelope), "");
}

TEST(Envelope, CreatingAtATakenTimeGivesThatKeyTheValue) {
  Envelope envelope;
  Key *first = envelope.create(1.0, 0.5);
  Key *again = envelope.create(1.0, -2.0);
  EXPECT_EQ(again, first);
  EXPECT_EQ(first->value, -2.0);
  EXPECT_EQ(envelope.size(), 1u);
}

TEST(Envelope, NonFiniteTimesCreateNothing) {
  Envelope envelope;
  EXPECT_EQ(envelope.create(std::numeric_limits<double>::quiet_NaN(), 1.0), nullptr);
  EXPECT_EQ(envelope.create(std::numeric_limits<double>::infinity(), 1.0), nullptr);
  EXPECT_EQ(envelope.create(-std::numeric_limits<double>::infinity(), 1.0), nullptr);
  EXPECT_EQ(envelope.size(), 0u);
  EXPECT_EQ(envelope.first(), nullptr);
  EXPECT_EQ(envelope.find(std::numeric_limits<double>::quiet_NaN()), nullptr);
}

TEST(Envelope, FindMatchesOnlyTheExactTime) {
  Envelope envelope;
  Key *key = envelope.create(1.0, 10.0);
  const double one_ulp_later = std::nextafter(1.0, 2.0);
  const double one_ulp_earlier = std::nextafter(1.0, 0.0);

  EXPECT_EQ(envelope.find(1.0), key);
  EXPECT_EQ(envelope.find(one_ulp_later), nullptr);
  EXPECT_EQ(envelope.find(one_ulp_earlier), nullptr);

  Key *later = envelope.create(one_ulp_later, 11.0);
  Key *earlier = envelope.create(one_ulp_earlier, 9.0);
  ASSERT_EQ(envelope.size(), 3u);
  EXPECT_NE(later, key);
  EXPECT_EQ(envelope.first(), earlier);
  EXPECT_EQ(key->prev, earlier);
  EXPECT_EQ(key->next, later);
  EXPECT_EQ(envelope.find(one_ulp_later), later);
  EXPECT_EQ(link_fault(envelope), "");
}

TEST(Envelope, NegativeZeroIsTheSameTimeAsZero) {
  Envelope envelope;
  Key *zero = envelope.create(0.0, 1.0);
  EXPECT_EQ(envelope.find(-0.0), zero);
  EXPECT_EQ(envelope.create(-0.0, 2.0), zero);
  EXPECT_EQ(envelope.size(), 1u);
}

TEST(Envelope, DestroyRelinksNeighboursAndEnds) {
  Envelope envelope;
  add_keys(envelope, {{0.0, 0.0}, {1.0, 1.0}, {2.0, 2.0}, {3.0, 3.0}});
  Key *middle = envelope.find(1.0);

  ASSERT_TRUE(envelope.destroy(middle));
  EXPECT_EQ(envelope.find(0.0)->next, envelope.find(2.0));
  EXPECT_EQ(envelope.find(2.0)->prev, envelope.find(0.0));

  ASSERT_TRUE(envelope.destroy(envelope.first()));
  EXPECT_EQ(envelope.first()->time, 2.0);
  EXPECT_EQ(envelope.first()->prev, nullptr);

  ASSERT_TRUE(envelope.destroy(envelope.last()));
  EXPECT_EQ(envelope.last()->time, 2.0);
  EXPECT_EQ(envelope.last()->next, nullptr);

  ASSERT_TRUE(envelope.destroy(envelope.first()));
  EXPECT_EQ(envelope.first(), nullptr);
  EXPECT_EQ(envelope.last(), nullptr);
  EXPECT_EQ(envelope.size(), 0u);
}

TEST(Envelope, DestroyRefusesKeysItDoesNotOwn) {
  Envelope envelope, other;
  add_keys(envelope, {{1.0, 1.0}});
  Key *foreign = other.create(1.0, 5.0);  // same time, different envelope

  EXPECT_FALSE(envelope.contains(foreign));
  EXPECT_FALSE(envelope.destroy(foreign));
  EXPECT_FALSE(envelope.destroy(nullptr));
  EXPECT_EQ(envelope.size(), 1u);
  EXPECT_EQ(other.find(1.0), foreign);
}

TEST(Envelope, SetTimeMovesTheKeyAndKeepsItsHandle) {
  Envelope envelope;
  add_keys(envelope, {{0.0, 10.0}, {1.0, 11.0}, {2.0, 12.0}});
  Key *moved = envelope.find(0.0);

  ASSERT_TRUE(envelope.set_time(moved, 1.5));
  EXPECT_EQ(moved->time, 1.5);
  EXPECT_EQ(moved->value, 10.0);
  EXPECT_EQ(envelope.find(1.5), moved);
  EXPECT_EQ(envelope.find(0.0), nullptr);
  EXPECT_EQ(key_times(envelope), (std::vector<double>{1.0, 1.5, 2.0}));
  EXPECT_EQ(link_fault(envelope), "");

  ASSERT_TRUE(envelope.set_time(moved, 7.0));  // past the last key
  EXPECT_EQ(envelope.last(), moved);
  ASSERT_TRUE(envelope.set_time(moved, -3.0));  // before the first key
  EXPECT_EQ(envelope.first(), moved);
  EXPECT_EQ(link_fault(envelope), "");
}

TEST(Envelope, SetTimeRefusesCollisionsNonFiniteTimesAndForeignKeys) {
  Envelope envelope, other;
  add_keys(envelope, {{0.0, 10.0}, {1.0, 11.0}});
  Key *key = envelope.find(0.0);
  Key *foreign = other.create(5.0, 0.0);
  const auto before = keys_of(envelope);

  EXPECT_FALSE(envelope.set_time(key, 1.0));
  EXPECT_FALSE(envelope.set_time(key, std::numeric_limits<double>::quiet_NaN()));
  EXPECT_FALSE(envelope.set_time(key, std::numeric_limits<double>::infinity()));
  EXPECT_FALSE(envelope.set_time(foreign, 3.0));
  EXPECT_FALSE(envelope.set_time(nullptr, 3.0));
  EXPECT_EQ(keys_of(envelope), before);
  EXPECT_EQ(other.find(5.0), foreign);

  EXPECT_TRUE(envelope.set_time(key, 0.0));  // its own time
  EXPECT_EQ(keys_of(envelope), before);
}

// A slot freed by destroy is reused by the next key made: that key is new,
// not the one read from the file.
TEST(Envelope, AKeysOriginFollowsItsHandleAndEndsWithIt) {
  Envelope envelope;
  add_keys(envelope, {{0.0, 10.0}, {1.0, 11.0}});
  Key *read = envelope.find(1.0);
  envelope.set_origin(read, 1);

  ASSERT_TRUE(envelope.set_time(read, 2.0));
  EXPECT_EQ(envelope.origin(read), 1);
  EXPECT_EQ(envelope.origin(envelope.find(0.0)), -1);

  ASSERT_TRUE(envelope.destroy(read));
  EXPECT_EQ(envelope.origin(read), -1);  // a stale handle has none
  Key *made = envelope.create(5.0, 1.0);
  EXPECT_EQ(made, read) << "the freed slot is reused";
  EXPECT_EQ(envelope.origin(made), -1);

  envelope.set_origin(made, 7);
  envelope.clear();
  EXPECT_EQ(envelope.origin(envelope.create(5.0, 1.0)), -1);

  Envelope other;
  const Key *foreign = other.create(0.0, 0.0);
  envelope.set_origin(foreign, 3);  // not this envelope's: ignored
  EXPECT_EQ(envelope.origin(foreign), -1);
  EXPECT_EQ(other.origin(foreign), -1);
}

// A reader's appends make the keys that create, set_origin and set_shape
// make, whichever way each append takes: in order, out of order, into a
// freed slot, past a block's end.
TEST(Envelope, AppendedKeysAreTheKeysCreateAndItsSettersMake) {
  scene::KeyShape bezier;
  bezier.span_type = 5;
  bezier.params[0] = 0.5;
  bezier.params[5] = -2.0;
  scene::KeyShape stepped;
  stepped.span_type = 4;
  struct Made {
    double time, value;
    std::int64_t origin;
    scene::KeyShape shape;
  };
  std::vector<Made> made;
  for (int i = 0; i < 2500; ++i)
    made.push_back({i * 0.5, std::sin(i), i, i % 7 == 3 ? bezier : scene::KeyShape{}});
  made[1200].shape = stepped;
  made.push_back({100.25, 3.0, 2500, bezier});  // before the last: the general way
  made.push_back({100.0, 4.0, 2501, {}});       // a time already taken: the value changes
  Envelope appended, created;
  appended.reserve(1000);  // the rest in new blocks
  for (const Made &m : made) {
    appended.append(m.time, m.value, m.origin, m.shape);
    Key *key = created.create(m.time, m.value);
    created.set_origin(key, m.origin);
    created.set_shape(key, m.shape);
  }
  created.forget_shape_edits();
  // A freed slot is reused by the general way too.
  appended.destroy(appended.find(3.0));
  created.destroy(created.find(3.0));
  appended.append(2000.0, 1.0, 9, stepped);
  Key *last = created.create(2000.0, 1.0);
  created.set_origin(last, 9);
  created.set_shape(last, stepped);
  created.forget_shape_edits();

  ASSERT_EQ(appended.size(), created.size());
  for (const Key *a = appended.first(), *c = created.first(); a != nullptr || c != nullptr;
       a = a->next, c = c->next) {
    ASSERT_TRUE(a != nullptr && c != nullptr);
    ASSERT_EQ(a->time, c->time);
    EXPECT_EQ(a->value, c->value) << a->time;
    EXPECT_EQ(appended.origin(a), created.origin(c)) << a->time;
    EXPECT_FALSE(appended.shape_edited(a)) << a->time;
    const scene::KeyShape sa = appended.shape(a), sc = created.shape(c);
    EXPECT_EQ(sa.span_type, sc.span_type) << a->time;
    for (int p = 0; p < 6; ++p) EXPECT_EQ(sa.params[p], sc.params[p]) << a->time;
    EXPECT_EQ(appended.find(a->time), a);
    EXPECT_TRUE(appended.contains(a));
  }
  EXPECT_EQ(appended.last()->time, 2000.0);
  EXPECT_EQ(appended.first()->prev, nullptr);
}

// Keys made out of time order land in order; the index finds each of them
// and stays right as keys are destroyed and moved, across many blocks.
TEST(Envelope, KeysMadeInAnyOrderAreFoundAndLinkedInTimeOrder) {
  Envelope envelope;
  std::vector<double> times;
  for (int i = 0; i < 3000; ++i) times.push_back((i * 7919) % 3000 * 0.5);
  for (double time : times) ASSERT_NE(envelope.create(time, time), nullptr);
  ASSERT_EQ(envelope.size(), 3000u);
  for (int i = 0; i < 3000; i += 3) ASSERT_TRUE(envelope.destroy(envelope.find(i * 0.5)));
  ASSERT_TRUE(envelope.set_time(envelope.find(1.0), 5000.0));
  std::size_t count = 0;
  double last = -1.0;
  for (const Key *key = envelope.first(); key != nullptr; key = key->next, ++count) {
    ASSERT_GT(key->time, last);
    last = key->time;
    ASSERT_EQ(envelope.find(key->time), key);
    ASSERT_TRUE(envelope.contains(key));
  }
  EXPECT_EQ(count, 2000u);
  EXPECT_EQ(envelope.last()->time, 5000.0);
  EXPECT_EQ(envelope.find(0.0), nullptr);
}

}  // namespace
