// Many threads, each working on its own envelope through the C table at the
// same time, the way the module's pipeline stages do. Also meant to run under
// ThreadSanitizer, which then checks that the table shares nothing mutable.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <numeric>
#include <random>
#include <thread>
#include <vector>

#include "host/envelope_service.h"
#include "host/handles.h"
#include "host/host.h"
#include "support/scene_builders.h"

namespace {

constexpr int kThreads = 8;
constexpr int kKeysPerThread = 1500;

// What one thread does to its envelope; returns the keys it should end with
// (time -> value) and counts the table calls it made.
std::map<double, double> hammer(LWEnvelopeID env, unsigned seed, int &calls) {
  const LWEnvelopeFuncs &funcs = host::envelope_funcs_table();
  std::vector<int> order(kKeysPerThread);
  std::iota(order.begin(), order.end(), 0);
  std::shuffle(order.begin(), order.end(), std::mt19937(seed));

  std::map<double, double> expected;
  for (int i : order) {
    double time = i;
    funcs.createKey(env, time, seed + i);
    ++calls;
    expected[time] = seed + i;
  }
  for (int i : order) {
    LWEnvKeyframeID key = funcs.findKey(env, i);
    ++calls;
    if (i % 4 == 0) {
      funcs.destroyKey(env, key);
      ++calls;
      expected.erase(i);
    } else if (i % 3 == 0) {
      double later = i + 0.5;  // between i and i + 1, never taken
      funcs.keySet(env, key, LWKEY_TIME, &later);
      ++calls;
      expected[later] = expected[i];
      expected.erase(i);
    } else {
      double value = 0.0;
      funcs.keyGet(env, key, LWKEY_VALUE, &value);
      value = -value;
      funcs.keySet(env, key, LWKEY_VALUE, &value);
      calls += 2;
      expected[i] = value;
    }
  }
  // Back to the first key and forward through all of them, as the scan does.
  LWEnvKeyframeID key = funcs.findKey(env, 1.0);
  ++calls;
  for (LWEnvKeyframeID before; (before = funcs.prevKey(env, key)) != nullptr; ++calls) key = before;
  ++calls;  // the prevKey that answered null
  std::size_t walked = 1;
  for (; (key = funcs.nextKey(env, key)) != nullptr; ++calls) ++walked;
  ++calls;  // the nextKey that answered null
  EXPECT_EQ(walked, expected.size());
  return expected;
}

void run_threads(std::vector<std::unique_ptr<scene::Envelope>> &envelopes,
                 std::vector<std::map<double, double>> &expected, std::vector<int> &calls) {
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back(
        [&, t] { expected[t] = hammer(host::to_handle(envelopes[t].get()), 1000u * (t + 1), calls[t]); });
  }
  for (auto &thread : threads) thread.join();
}

class EnvelopeConcurrency : public ::testing::Test {
 protected:
  EnvelopeConcurrency() : expected(kThreads), calls(kThreads, 0) {
    for (int t = 0; t < kThreads; ++t) envelopes.push_back(std::make_unique<scene::Envelope>());
  }

  void expect_every_envelope_as_its_thread_left_it() {
    for (int t = 0; t < kThreads; ++t) {
      SCOPED_TRACE("thread " + std::to_string(t));
      EXPECT_EQ(testing_support::link_fault(*envelopes[t]), "");
      auto keys = testing_support::keys_of(*envelopes[t]);
      EXPECT_EQ(keys, (std::vector<std::pair<double, double>>(expected[t].begin(), expected[t].end())));
    }
  }

  std::vector<std::unique_ptr<scene::Envelope>> envelopes;
  std::vector<std::map<double, double>> expected;
  std::vector<int> calls;
};

TEST_F(EnvelopeConcurrency, ThreadsOnTheirOwnEnvelopesDoNotDisturbEachOther) {
  host::Host quiet_host;  // current but not recording: the lock-free path
  run_threads(envelopes, expected, calls);
  expect_every_envelope_as_its_thread_left_it();
  EXPECT_TRUE(quiet_host.envelope_calls().empty());
}

TEST_F(EnvelopeConcurrency, RecordingHostGetsEveryCallOfEveryThread) {
  host::Host recorder;
  recorder.record_envelope_calls(true);
  run_threads(envelopes, expected, calls);
  recorder.record_envelope_calls(false);
  expect_every_envelope_as_its_thread_left_it();

  std::map<const scene::Envelope *, int> recorded;
  for (const auto &call : recorder.envelope_calls()) ++recorded[call.envelope];
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(recorded[envelopes[t].get()], calls[t]) << "thread " << t;
}

}  // namespace
