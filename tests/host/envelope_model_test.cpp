// The envelope against a plain model (time -> handle and value) over long
// random mixes of create, destroy, set_time and find: in time order, walking
// forwards as a scan does, and at random. The envelope keeps a shortcut to
// the key it found last and reuses the slots of destroyed keys, so any slip
// there shows up as a find answering a wrong or dead key, a handle that moved
// or a broken link.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <vector>

#include "scene/envelope.h"
#include "support/scene_builders.h"

namespace {

using scene::Envelope;
using scene::Key;

struct Expected {
  Key *key;
  double value;
};

class EnvelopeModel : public ::testing::Test {
 protected:
  // Times on a grid of quarter seconds, so that operations often meet keys.
  double random_time() { return 0.25 * static_cast<int>(rng() % 400); }

  void check_find(double time) {
    auto it = model.find(time);
    Key *found = envelope.find(time);
    if (it == model.end()) {
      ASSERT_EQ(found, nullptr) << "find(" << time << ") answered a key where there is none";
    } else {
      ASSERT_EQ(found, it->second.key) << "find(" << time << ")";
      ASSERT_EQ(found->value, it->second.value);
    }
  }

  void check_everything() {
    ASSERT_EQ(testing_support::link_fault(envelope), "");
    ASSERT_EQ(envelope.size(), model.size());
    for (const auto &[time, expected] : model) {
      ASSERT_EQ(expected.key->time, time);
      ASSERT_EQ(expected.key->value, expected.value);
      ASSERT_TRUE(envelope.contains(expected.key));
    }
  }

  std::mt19937 rng{271828};
  Envelope envelope;
  std::map<double, Expected> model;
};

TEST_F(EnvelopeModel, RandomMixesAgreeWithTheModel) {
  for (int step = 0; step < 40000; ++step) {
    const double time = random_time();
    switch (rng() % 6) {
      case 0:
      case 1: {  // create, or give an existing key a new value
        const double value = step;
        Key *key = envelope.create(time, value);
        auto it = model.find(time);
        if (it != model.end()) {
          ASSERT_EQ(key, it->second.key) << "creating at a taken time must answer that key";
          it->second.value = value;
        } else {
          model[time] = {key, value};
        }
        break;
      }
      case 2: {  // destroy a random key
        auto it = model.lower_bound(time);
        if (it == model.end()) break;
        ASSERT_TRUE(envelope.destroy(it->second.key));
        model.erase(it);
        break;
      }
      case 3: {  // move a random key to a free time
        auto it = model.lower_bound(time);
        const double to = random_time() + 0.125;  // off the grid: never taken by create
        if (it == model.end() || model.count(to) != 0) break;
        Key *key = it->second.key;
        ASSERT_TRUE(envelope.set_time(key, to));
        model[to] = it->second;
        model.erase(it);
        break;
      }
      case 4: {  // walk forwards from a key, finding each next time
        auto it = model.lower_bound(time);
        for (int k = 0; k < 20 && it != model.end(); ++k, ++it) {
          ASSERT_NO_FATAL_FAILURE(check_find(it->first));
        }
        break;
      }
      default: break;
    }
    ASSERT_NO_FATAL_FAILURE(check_find(time));
    ASSERT_NO_FATAL_FAILURE(check_find(time + 0.125));
    if (step % 997 == 0) {
      ASSERT_NO_FATAL_FAILURE(check_everything());
    }
  }
  ASSERT_NO_FATAL_FAILURE(check_everything());
  envelope.clear();
  model.clear();
  ASSERT_NO_FATAL_FAILURE(check_find(0.0));
  EXPECT_NE(envelope.create(1.0, 2.0), nullptr);
  EXPECT_EQ(envelope.find(1.0)->value, 2.0);
}

// The key found last is gone, moved or replaced by a key in its reused slot:
// the next find must not answer from the stale shortcut.
TEST_F(EnvelopeModel, FindNeverAnswersThroughAStaleShortcut) {
  Key *a = envelope.create(1.0, 10.0);
  Key *b = envelope.create(2.0, 20.0);
  ASSERT_EQ(envelope.find(1.0), a);
  ASSERT_TRUE(envelope.destroy(a));
  EXPECT_EQ(envelope.find(1.0), nullptr);
  Key *c = envelope.create(3.0, 30.0);  // may take a's slot
  EXPECT_EQ(envelope.find(1.0), nullptr);
  EXPECT_EQ(envelope.find(3.0), c);

  ASSERT_EQ(envelope.find(2.0), b);
  ASSERT_TRUE(envelope.set_time(b, 5.0));
  EXPECT_EQ(envelope.find(2.0), nullptr);
  EXPECT_EQ(envelope.find(5.0), b);
  EXPECT_EQ(envelope.find(-0.0), nullptr);
  EXPECT_EQ(testing_support::link_fault(envelope), "");
}

// No key has a time that is not finite, however many keys there are.
TEST_F(EnvelopeModel, NonFiniteTimesFindNothingInAKeyedEnvelope) {
  for (int k = 0; k < 10; ++k) envelope.create(k, k);
  ASSERT_NE(envelope.find(0.0), nullptr);
  EXPECT_EQ(envelope.find(std::numeric_limits<double>::quiet_NaN()), nullptr);
  EXPECT_EQ(envelope.find(std::numeric_limits<double>::infinity()), nullptr);
  EXPECT_EQ(envelope.find(-std::numeric_limits<double>::infinity()), nullptr);
}

}  // namespace
