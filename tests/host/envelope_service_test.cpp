#include "host/envelope_service.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "host/handles.h"
#include "host/host.h"
#include "support/scene_builders.h"

namespace {

using host::key_of;
using host::to_handle;
using scene::Envelope;
using scene::Key;
using testing_support::key_times;
using testing_support::keys_of;
using testing_support::link_fault;

class EnvelopeService : public ::testing::Test {
 protected:
  const LWEnvelopeFuncs &funcs = host::envelope_funcs_table();
  Envelope envelope;
  LWEnvelopeID env = to_handle(&envelope);

  double get(LWEnvKeyframeID key, LWKeyTag tag) {
    double value = -99.0;
    EXPECT_EQ(funcs.keyGet(env, key, tag, &value), 1);
    return value;
  }
};

TEST_F(EnvelopeService, CreatesFindsAndWalksKeysInTimeOrder) {
  LWEnvKeyframeID late = funcs.createKey(env, 2.0, 0.2);
  LWEnvKeyframeID early = funcs.createKey(env, 0.0, 0.0);
  LWEnvKeyframeID middle = funcs.createKey(env, 1.0, 0.1);

  EXPECT_EQ(funcs.findKey(env, 1.0), middle);
  EXPECT_EQ(funcs.findKey(env, std::nextafter(1.0, 2.0)), nullptr);
  EXPECT_EQ(funcs.nextKey(env, early), middle);
  EXPECT_EQ(funcs.nextKey(env, middle), late);
  EXPECT_EQ(funcs.nextKey(env, late), nullptr);
  EXPECT_EQ(funcs.prevKey(env, late), middle);
  EXPECT_EQ(funcs.prevKey(env, early), nullptr);
  EXPECT_EQ(get(middle, LWKEY_VALUE), 0.1);
  EXPECT_EQ(get(middle, LWKEY_TIME), 1.0);

  double value = -3.5;
  EXPECT_EQ(funcs.keySet(env, middle, LWKEY_VALUE, &value), 1);
  EXPECT_EQ(get(middle, LWKEY_VALUE), -3.5);
  EXPECT_EQ(get(early, LWKEY_VALUE), 0.0);

  funcs.destroyKey(env, middle);
  EXPECT_EQ(funcs.nextKey(env, early), late);
  EXPECT_EQ(funcs.findKey(env, 1.0), nullptr);
}

TEST_F(EnvelopeService, KeySetTimeMovesTheKeyToItsNewPlace) {
  LWEnvKeyframeID first = funcs.createKey(env, 0.0, 10.0);
  LWEnvKeyframeID second = funcs.createKey(env, 1.0, 11.0);
  LWEnvKeyframeID third = funcs.createKey(env, 2.0, 12.0);

  double time = 1.5;
  ASSERT_EQ(funcs.keySet(env, first, LWKEY_TIME, &time), 1);
  EXPECT_EQ(get(first, LWKEY_TIME), 1.5);
  EXPECT_EQ(get(first, LWKEY_VALUE), 10.0);
  EXPECT_EQ(funcs.findKey(env, 1.5), first);
  EXPECT_EQ(funcs.findKey(env, 0.0), nullptr);
  EXPECT_EQ(funcs.prevKey(env, second), nullptr);
  EXPECT_EQ(funcs.nextKey(env, second), first);
  EXPECT_EQ(funcs.nextKey(env, first), third);
  EXPECT_EQ(key_times(envelope), (std::vector<double>{1.0, 1.5, 2.0}));
  EXPECT_EQ(link_fault(envelope), "");
}

TEST_F(EnvelopeService, KeySetTimeRefusesATakenOrNonFiniteTimeAndForeignKeys) {
  LWEnvKeyframeID first = funcs.createKey(env, 0.0, 10.0);
  funcs.createKey(env, 1.0, 11.0);
  Envelope other;
  LWEnvKeyframeID foreign = funcs.createKey(to_handle(&other), 5.0, 0.0);
  const auto before = keys_of(envelope);

  double taken = 1.0, not_a_number = std::numeric_limits<double>::quiet_NaN(), free_time = 3.0;
  EXPECT_EQ(funcs.keySet(env, first, LWKEY_TIME, &taken), 0);
  EXPECT_EQ(funcs.keySet(env, first, LWKEY_TIME, &not_a_number), 0);
  EXPECT_EQ(funcs.keySet(env, foreign, LWKEY_TIME, &free_time), 0);
  EXPECT_EQ(keys_of(envelope), before);
  EXPECT_EQ(key_of(foreign)->time, 5.0);
}

TEST_F(EnvelopeService, UnknownTagsFailAndLeaveEverythingAlone) {
  LWEnvKeyframeID key = funcs.createKey(env, 0.0, 1.0);
  double value = 7.0;
  // The key's shape and parameters are not kept by the stand-in's keys.
  EXPECT_EQ(funcs.keySet(env, key, LWKEY_SHAPE, &value), 0);
  EXPECT_EQ(funcs.keySet(env, key, static_cast<LWKeyTag>(-1), &value), 0);
  EXPECT_EQ(funcs.keyGet(env, key, LWKEY_PARAM_3, &value), 0);
  EXPECT_EQ(value, 7.0);
  EXPECT_EQ(get(key, LWKEY_VALUE), 1.0);
}

TEST_F(EnvelopeService, NullArgumentsAnswerNullOrZero) {
  LWEnvKeyframeID key = funcs.createKey(env, 0.0, 1.0);
  double value = 5.0;
  EXPECT_EQ(funcs.createKey(nullptr, 0.0, 1.0), nullptr);
  EXPECT_EQ(funcs.findKey(nullptr, 0.0), nullptr);
  EXPECT_EQ(funcs.nextKey(nullptr, key), nullptr);
  EXPECT_EQ(funcs.nextKey(env, nullptr), nullptr);
  EXPECT_EQ(funcs.prevKey(nullptr, key), nullptr);
  EXPECT_EQ(funcs.prevKey(env, nullptr), nullptr);
  EXPECT_EQ(funcs.keySet(nullptr, key, LWKEY_VALUE, &value), 0);
  EXPECT_EQ(funcs.keySet(env, nullptr, LWKEY_VALUE, &value), 0);
  EXPECT_EQ(funcs.keySet(env, key, LWKEY_VALUE, nullptr), 0);
  EXPECT_EQ(funcs.keyGet(nullptr, key, LWKEY_VALUE, &value), 0);
  EXPECT_EQ(funcs.keyGet(env, nullptr, LWKEY_VALUE, &value), 0);
  EXPECT_EQ(funcs.keyGet(env, key, LWKEY_VALUE, nullptr), 0);
  funcs.destroyKey(nullptr, key);
  funcs.destroyKey(env, nullptr);
  EXPECT_EQ(value, 5.0);
  EXPECT_EQ(envelope.size(), 1u);
}

TEST_F(EnvelopeService, RecordsCallsOnlyWhileTheHostRecords) {
  host::Host recorder;
  LWEnvKeyframeID unrecorded = funcs.createKey(env, 0.0, 1.0);
  EXPECT_TRUE(recorder.envelope_calls().empty());

  recorder.record_envelope_calls(true);
  LWEnvKeyframeID key = funcs.createKey(env, 1.0, 2.0);
  double value = 4.0;
  funcs.keySet(env, key, LWKEY_VALUE, &value);
  double read = 0.0;
  funcs.keyGet(env, unrecorded, LWKEY_TIME, &read);
  funcs.findKey(env, 9.0);
  recorder.record_envelope_calls(false);
  funcs.destroyKey(env, key);

  std::vector<host::EnvelopeCall> calls = recorder.envelope_calls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].op, "createKey");
  EXPECT_EQ(calls[0].key, key_of(key));
  EXPECT_EQ(calls[0].time, 1.0);
  EXPECT_EQ(calls[0].value, 2.0);
  EXPECT_EQ(calls[1].op, "keySet");
  EXPECT_EQ(calls[1].tag, LWKEY_VALUE);
  EXPECT_EQ(calls[1].value, 4.0);
  EXPECT_EQ(calls[2].op, "keyGet");
  EXPECT_EQ(calls[2].tag, LWKEY_TIME);
  EXPECT_EQ(calls[2].value, 0.0);
  EXPECT_EQ(calls[3].op, "findKey");
  EXPECT_EQ(calls[3].time, 9.0);
  EXPECT_FALSE(calls[3].ok);
  for (const auto &call : calls) EXPECT_EQ(call.envelope, &envelope);
}

}  // namespace
