// "Tavorix:Scan" when memory runs out: every allocation of a run is made to
// fail in turn. Whatever fails, the command answers AFUNC_FAILED, closes its
// monitor without a report, releases what it acquired and leaves no key it
// created: each item ends either as it was or as a completed scan leaves it
// (items whose keys were written before the failure keep the rewritten,
// equivalent values).
//
// The allocation functions of this program are replaced; the module, loaded
// with dlopen, binds to them because test programs export their symbols.
// Only the module's own allocations are made to fail. The host's callbacks
// are left alone (their failures are the host's to handle), and so are the
// task library's internals: it does not survive that itself (with oneTBB
// 2021.8 a failed allocation inside a pipeline's set-up leaves tbb::finalize
// waiting forever, module or not).
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "host/host_call_scope.h"
#include "host/progress_monitor.h"
#include "support/module_harness.h"
#include "support/rotation_keys.h"
#include "support/scene_builders.h"

namespace {

// While armed, the allocation that brings the countdown to zero throws.
std::atomic<long> countdown{0};
std::atomic<bool> fired{false};
// Aligned allocations (the module's working set) always count; plain ones
// only when this is set.
std::atomic<bool> count_plain{false};

// Whether the code at `caller` belongs to the task library.
bool called_from_task_library(const void *caller) {
  Dl_info info;
  return dladdr(caller, &info) != 0 && info.dli_fname != nullptr &&
         std::strstr(info.dli_fname, "libtbb") != nullptr;
}

bool fail_this_allocation(bool aligned, const void *caller) {
  if (!aligned && !count_plain.load(std::memory_order_relaxed)) return false;
  if (countdown.load(std::memory_order_relaxed) <= 0) return false;
  if (host::HostCallScope::active() || called_from_task_library(caller)) return false;
  long left = countdown.load(std::memory_order_relaxed);
  while (left > 0) {
    if (countdown.compare_exchange_weak(left, left - 1, std::memory_order_relaxed)) {
      if (left != 1) return false;
      fired.store(true, std::memory_order_relaxed);
      return true;
    }
  }
  return false;
}

void *plain_allocation(std::size_t size, const void *caller) {
  if (fail_this_allocation(false, caller)) throw std::bad_alloc();
  if (void *p = std::malloc(size != 0 ? size : 1)) return p;
  throw std::bad_alloc();
}

void *aligned_allocation(std::size_t size, std::align_val_t alignment, const void *caller) {
  if (fail_this_allocation(true, caller)) throw std::bad_alloc();
  const auto align = static_cast<std::size_t>(alignment);
  const std::size_t rounded = (size + align - 1) / align * align;
  if (void *p = std::aligned_alloc(align, rounded != 0 ? rounded : align)) return p;
  throw std::bad_alloc();
}

}  // namespace

void *operator new(std::size_t size) { return plain_allocation(size, __builtin_return_address(0)); }
void *operator new[](std::size_t size) { return plain_allocation(size, __builtin_return_address(0)); }
void *operator new(std::size_t size, std::align_val_t alignment) {
  return aligned_allocation(size, alignment, __builtin_return_address(0));
}
void *operator new[](std::size_t size, std::align_val_t alignment) {
  return aligned_allocation(size, alignment, __builtin_return_address(0));
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t) noexcept { std::free(p); }
void operator delete(void *p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void *p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void *p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t, std::align_val_t) noexcept { std::free(p); }

namespace {

using KeyFrame::AngleTriple;
using testing_support::keys_of;
using testing_support::ModuleHarness;
using testing_support::set_rotation_key;

constexpr double kPi = 3.141592653589793;

using RotationKeys = std::vector<std::vector<std::pair<double, double>>>;
RotationKeys rotation_keys_of(const host::Item &item) {
  return {keys_of(*item.envelope("Rotation.H")), keys_of(*item.envelope("Rotation.P")),
          keys_of(*item.envelope("Rotation.B"))};
}

// Items that make the collection create keys of every kind at the current
// time (1.5): flipped keys around it, no keys at all, one key, a pitch key
// at the current time without heading and bank keys there.
void build_scene(host::Scene &scene) {
  std::vector<host::Item *> items;
  for (int i = 0; i < 5; ++i) {
    host::Item &item = scene.add_item("Keyed" + std::to_string(i));
    for (int k = 0; k < 20 + 15 * i; ++k) {
      const AngleTriple a{0.05 * k + i, 0.3, -0.02 * k};
      set_rotation_key(item, k, k % 3 == 1 ? AngleTriple{a.heading + kPi, kPi - a.pitch, a.bank + kPi} : a);
    }
    items.push_back(&item);
  }
  items.push_back(&scene.add_item("Bare"));
  host::Item &single = scene.add_item("Single");
  set_rotation_key(single, 4.0, {kPi, kPi - 0.2, kPi});
  items.push_back(&single);
  host::Item &pitch_now = scene.add_item("PitchNow");
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

std::vector<RotationKeys> scene_keys(const host::Scene &scene) {
  std::vector<RotationKeys> keys;
  for (const auto &item : scene.items()) keys.push_back(rotation_keys_of(*item));
  return keys;
}

struct Outcome {
  int result = -1;
  bool fired = false;
};

Outcome run_failing_at(ModuleHarness &m, long allocation, bool plain_too) {
  count_plain.store(plain_too);
  fired.store(false);
  countdown.store(allocation);
  Outcome outcome;
  outcome.result = m.run("Tavorix:Scan");
  countdown.store(0);
  outcome.fired = fired.load();
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
  void expect_no_trace_of_an_unfinished_scan(const host::Scene &scene) {
    const std::vector<RotationKeys> now = scene_keys(scene);
    ASSERT_EQ(now.size(), before.size());
    for (std::size_t i = 0; i < now.size(); ++i) {
      EXPECT_TRUE(now[i] == before[i] || now[i] == after[i]) << "item " << i;
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
    if (!outcome.fired) {
      EXPECT_EQ(outcome.result, AFUNC_OK);
      EXPECT_EQ(scene_keys(m.host.scene()), t.after);
      return failed_runs;
    }
    ++failed_runs;
    EXPECT_EQ(outcome.result, AFUNC_FAILED);
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
  EXPECT_GE(sweep(*this, true), 2 + 2 * 8);
}

}  // namespace
