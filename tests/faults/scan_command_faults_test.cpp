// "Tavorix:Scan" when memory runs out: every allocation of a run is made to
// fail in turn. Whatever fails, the command tells the user why, closes its
// monitor without a report, releases what it acquired and leaves no key it
// created: each item ends either as it was or as a completed scan leaves it
// (items whose keys were written before the failure keep the rewritten,
// equivalent values).
//
// Only the module's own allocations are made to fail (see
// allocation_failure.h).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "faults/allocation_failure.h"
#include "host/progress_monitor.h"
#include "support/module_harness.h"
#include "support/rotation_keys.h"
#include "support/scene_builders.h"

namespace {

using KeyFrame::AngleTriple;
using testing_support::keys_of;
using testing_support::ModuleHarness;
using testing_support::set_rotation_key;

constexpr double kPi = 3.141592653589793;

using RotationKeys = std::vector<std::vector<std::pair<double, double>>>;
RotationKeys rotation_keys_of(const scene::Item &item) {
  return {keys_of(*item.envelope("Rotation.H")), keys_of(*item.envelope("Rotation.P")),
          keys_of(*item.envelope("Rotation.B"))};
}

// Items that make the collection create keys of every kind at the current
// time (1.5): flipped keys around it, no keys at all, one key, a pitch key
// at the current time without heading and bank keys there.
void build_scene(scene::Scene &scene) {
  std::vector<scene::Item *> items;
  for (int i = 0; i < 5; ++i) {
    scene::Item &item = scene.add_item("Keyed" + std::to_string(i));
    for (int k = 0; k < 20 + 15 * i; ++k) {
      const AngleTriple a{0.05 * k + i, 0.3, -0.02 * k};
      set_rotation_key(item, k, k % 3 == 1 ? AngleTriple{a.heading + kPi, kPi - a.pitch, a.bank + kPi} : a);
    }
    items.push_back(&item);
  }
  items.push_back(&scene.add_item("Bare"));
  scene::Item &single = scene.add_item("Single");
  set_rotation_key(single, 4.0, {kPi, kPi - 0.2, kPi});
  items.push_back(&single);
  scene::Item &pitch_now = scene.add_item("PitchNow");
  set_rotation_key(pitch_now, 0.0, {0, 0, 0});
  pitch_now.envelope("Rotation.P")->create(1.5, 2.0);
  set_rotation_key(pitch_now, 3.0, {kPi, kPi - 0.1, kPi});
  set_rotation_key(pitch_now, 4.0, {kPi, kPi - 0.1, kPi});
  items.push_back(&pitch_now);
  // The items the scan changes go last: a scan cut short always leaves one
  // of them as it was.
  std::rotate(items.begin(), items.begin() + 5, items.end());
  scene.select(items);
  scene.set_current_time(1.5);
}

std::vector<RotationKeys> scene_keys(const scene::Scene &scene) {
  std::vector<RotationKeys> keys;
  for (const auto &item : scene.items()) keys.push_back(rotation_keys_of(*item));
  return keys;
}

struct Outcome {
  int result = -1;
  bool fired = false;
  std::vector<host::HostMessage> errors;  // what the scan told the user
};

Outcome run_failing_at(ModuleHarness &m, long allocation, bool plain_too) {
  using testing_support::AllocationFailure;
  AllocationFailure::fail_at(
      static_cast<std::uint64_t>(allocation),
      plain_too ? AllocationFailure::Counted::All : AllocationFailure::Counted::AlignedOnly);
  Outcome outcome;
  m.host.set_print_messages(false);
  outcome.result = m.run("Tavorix:Scan");
  AllocationFailure::disarm();
  outcome.fired = AllocationFailure::triggered();
  for (const host::HostMessage &message : m.host.messages()) {
    if (message.kind == "error") outcome.errors.push_back(message);
  }
  return outcome;
}

struct ScanAllocationFailure : ::testing::Test {
  void SetUp() override {
    build_scene(reference.host.scene());
    before = scene_keys(reference.host.scene());
    ASSERT_EQ(reference.run("Tavorix:Scan"), AFUNC_OK);
    after = scene_keys(reference.host.scene());
    ASSERT_NE(before, after);
  }

  // Every item as it was or as the completed scan leaves it; key times as
  // they were, so no key of the scan's remains.
  void expect_no_trace_of_an_unfinished_scan(const scene::Scene &scene) {
    const std::vector<RotationKeys> now = scene_keys(scene);
    ASSERT_EQ(now.size(), before.size());
    for (std::size_t i = 0; i < now.size(); ++i) {
      EXPECT_TRUE(now[i] == before[i] || now[i] == after[i]) << "item " << i;
    }
  }

  // One error, saying why the scan stopped and, truthfully, how many items
  // it finished: none means the scene is as it was.
  void expect_truthful_report(const std::vector<host::HostMessage> &errors, const scene::Scene &scene) {
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].line1, "Tavorix:Scan could not finish: out of memory.");
    std::size_t changed = 0;
    const std::vector<RotationKeys> now = scene_keys(scene);
    for (std::size_t i = 0; i < now.size(); ++i) changed += now[i] != before[i] ? 1 : 0;
    unsigned long long written = 0;
    unsigned long long total = 0;
    if (errors[0].line2 == "The scene was left as it was.") {
      EXPECT_EQ(changed, 0u);
    } else if (std::sscanf(errors[0].line2.c_str(), "The first %llu of %llu", &written, &total) == 2) {
      EXPECT_EQ(total, scene.selection().size());
      EXPECT_LE(changed, written);
    } else {
      ADD_FAILURE() << "unexpected report: " << errors[0].line2;
    }
  }

  ModuleHarness reference;
  std::vector<RotationKeys> before;
  std::vector<RotationKeys> after;
};

// Fails the first, second, ... counted allocation of a scan until a scan
// gets through; returns how many scans failed.
long sweep(ScanAllocationFailure &t, bool plain_too) {
  long failed_runs = 0;
  for (long n = 1;; ++n) {
    SCOPED_TRACE("allocation " + std::to_string(n));
    ModuleHarness m;
    build_scene(m.host.scene());
    m.host.record_envelope_calls(true);
    const Outcome outcome = run_failing_at(m, n, plain_too);
    // No key is destroyed twice, or after the host has let it go.
    for (const host::EnvelopeCall &call : m.host.envelope_calls()) {
      if (call.op == "destroyKey") {
        EXPECT_TRUE(call.ok);
      }
    }
    EXPECT_EQ(outcome.result, AFUNC_OK);  // the host's convention: the error is posted
    if (!outcome.fired) {
      EXPECT_TRUE(outcome.errors.empty());
      EXPECT_EQ(scene_keys(m.host.scene()), t.after);
      return failed_runs;
    }
    ++failed_runs;
    t.expect_truthful_report(outcome.errors, m.host.scene());
    EXPECT_TRUE(m.host.services_balanced());
    EXPECT_EQ(host::live_monitor_count(), 0u);
    const std::vector<host::MonitorCall> calls = m.host.monitor_calls();
    if (calls.size() < 2) {
      ADD_FAILURE() << "the monitor was not opened and closed";
    } else {
      EXPECT_EQ(calls[calls.size() - 2].op, "done");
      EXPECT_EQ(calls.back().op, "destroy");
    }
    for (const host::MonitorCall &call : calls) EXPECT_EQ(call.text.find("Scanned"), std::string::npos);
    t.expect_no_trace_of_an_unfinished_scan(m.host.scene());
    // Failure is reported only for a scan that did not finish.
    EXPECT_NE(scene_keys(m.host.scene()), t.after);
    if (::testing::Test::HasFailure()) return failed_runs;
  }
}

TEST_F(ScanAllocationFailure, WorkingSetAllocationFailsAtEveryPoint) {
  // At least the records, the token array and each token's two vectors.
  EXPECT_GE(sweep(*this, false), 2 + 2 * 8);
}

TEST_F(ScanAllocationFailure, AnyModuleAllocationFailsAtEveryPoint) {
  const long swept = sweep(*this, true);
  EXPECT_GE(swept, 2 + 2 * 8);
  std::printf("Tavorix:Scan: %ld allocations swept\n", swept);
}

}  // namespace
