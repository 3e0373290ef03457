// Out of memory inside the real-time handler's callbacks: create reports it
// to the host, and an event that fails at any allocation leaves the watcher
// either with its step done or armed with nothing held, and the scene without
// a half-made change.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "faults/allocation_failure.h"
#include "loader/master_handlers.h"
#include "rotation/rotation_offset.h"
#include "support/module_harness.h"
#include "support/rotation_keys.h"
#include "support/scene_builders.h"

namespace {

using KeyFrame::AngleTriple;
using testing_support::AllocationFailure;
using testing_support::keys_of;
using testing_support::ModuleHarness;

constexpr double kRadiansPerDegree = 0.017453292519943295;

TEST(WatcherOutOfMemory, CreateAnswersNotEnoughMemory) {
  ModuleHarness m;
  LWInstanceFuncs inst{};
  LWMasterHandler handler{};
  handler.inst = &inst;
  ASSERT_EQ(m.module->activate(LWMASTER_HCLASS, "Tavorix:RealTime", LWMASTER_VERSION,
                               m.host.global_function(), &handler),
            AFUNC_OK);
  LWError error = nullptr;
  AllocationFailure::fail_at(1);
  const LWInstance instance = inst.create(inst.priv, nullptr, &error);
  AllocationFailure::disarm();
  EXPECT_TRUE(AllocationFailure::triggered());
  EXPECT_EQ(instance, nullptr);
  ASSERT_NE(error, nullptr);
  EXPECT_STREQ(error, "Not Enough Memory");
}

using Snapshot = std::vector<std::vector<std::pair<double, double>>>;

Snapshot rotation_keys_of(const scene::Item &item) {
  return {keys_of(*item.envelope("Rotation.H")), keys_of(*item.envelope("Rotation.P")),
          keys_of(*item.envelope("Rotation.B"))};
}

int refreshes = 0;
int count_refresh(void *, const char *command) {
  if (std::string(command) == "RefreshNow") ++refreshes;
  return 1;
}

// The first rotation command of a tracking period, with allocation n failing,
// for n = 1, 2, ... until the event completes without reaching it. The items
// have keys at times 0 and 2 and the current time is 1, so that tracking
// plants keys. With one item tracked the command also carries the step; with
// two it only starts tracking. `swept` receives the number of allocations.
void sweep_first_command(int item_count, std::uint64_t &swept) {
  const AngleTriple start{0.3, -0.2, 0.1};
  const AngleTriple stepped = KeyFrame::apply_rotation_offset(start, {5 * kRadiansPerDegree, 0, 0});
  for (std::uint64_t n = 1;; ++n) {
    SCOPED_TRACE("allocation " + std::to_string(n));
    ModuleHarness m;
    m.host.set_print_messages(false);
    std::vector<scene::Item *> items = testing_support::add_selected_items(
        m.host.scene(), item_count, {{0.0, start}, {2.0, {1.0, 1.0, 1.0}}});
    m.host.scene().set_current_time(1.0);
    loader::MasterHandlers handlers(m.host);
    const loader::MasterHandlers::Id id = handlers.add(*m.module, "Tavorix:RealTime");
    std::vector<Snapshot> before;
    for (const scene::Item *item : items) before.push_back(rotation_keys_of(*item));

    // The event is called directly, without the host's command machinery
    // around it, so that the allocations counted are the module's.
    char text[] = "AddRotation 5 0 0 and words enough to leave the short-string buffer";
    LWMasterAccess access{};
    access.eventCode = LWEVNT_COMMAND;
    access.eventData = text;
    access.evaluate = count_refresh;
    refreshes = 0;
    AllocationFailure::fail_at(n);
    handlers.record(id).event(handlers.instance(id), &access);
    AllocationFailure::disarm();

    const host::ServiceUse use = m.host.use_of(LWENVELOPEFUNCS_GLOBAL);
    const bool tracking = use.acquire - use.release == 1;
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (rotation_keys_of(*items[i]) == before[i]) continue;
      // Changed keys only while tracking, and then complete: planted, and
      // stepped when the item is the only one tracked (the host may have
      // refused the other one a key).
      EXPECT_TRUE(tracking) << "item " << i << " changed although the watcher is not tracking";
      const auto keys = testing_support::rotation_key(*items[i], 1.0);
      ASSERT_TRUE(keys.has_value()) << i;
      EXPECT_TRUE(testing_support::triple_distance(*keys, start) < 1e-12 ||
                  testing_support::triple_distance(*keys, stepped) < 1e-12)
          << i;
    }
    // A step cut short tells the user, and then nothing of it was kept.
    const std::vector<host::HostMessage> messages = m.host.messages();
    for (const host::HostMessage &message : messages) {
      EXPECT_EQ(message.kind, "error");
      EXPECT_EQ(message.line1, "Tavorix:RealTime could not follow the rotation: out of memory.");
      EXPECT_FALSE(tracking);
    }
    handlers.remove(id);
    EXPECT_TRUE(m.host.services_balanced());
    if (!AllocationFailure::triggered()) {
      EXPECT_TRUE(messages.empty());
      EXPECT_TRUE(tracking);
      EXPECT_EQ(refreshes, item_count == 1 ? 1 : 0);
      swept = n - 1;
      return;
    }
    if (n > 5000) {
      ADD_FAILURE() << "the sweep does not end";
      return;
    }
  }
}

TEST(WatcherOutOfMemory, FirstStepFailingAtAnyAllocation) {
  for (int item_count : {1, 2}) {
    SCOPED_TRACE(std::to_string(item_count) + " items");
    std::uint64_t swept = 0;
    sweep_first_command(item_count, swept);
    EXPECT_GT(swept, 1u);
    std::printf("Tavorix:RealTime first step, %d items: %llu allocations swept\n", item_count,
                static_cast<unsigned long long>(swept));
  }
}

// The first command's start of tracking fails where the records' room is
// reserved; the next command, with memory back, starts tracking on the same
// watcher, as the error message promises.
TEST(WatcherOutOfMemory, NextRotationAfterAFailedStartTracks) {
  ModuleHarness m;
  m.host.set_print_messages(false);
  testing_support::add_selected_items(m.host.scene(), 2, {{0.0, {0.3, -0.2, 0.1}}, {2.0, {1.0, 1.0, 1.0}}});
  m.host.scene().set_current_time(1.0);
  loader::MasterHandlers handlers(m.host);
  const loader::MasterHandlers::Id id = handlers.add(*m.module, "Tavorix:RealTime");
  char text[] = "AddRotation 5 0 0";
  LWMasterAccess access{};
  access.eventCode = LWEVNT_COMMAND;
  access.eventData = text;
  access.evaluate = count_refresh;

  AllocationFailure::fail_at(1, AllocationFailure::Counted::AlignedOnly);
  handlers.record(id).event(handlers.instance(id), &access);
  AllocationFailure::disarm();
  ASSERT_TRUE(AllocationFailure::triggered());
  ASSERT_EQ(m.host.messages().size(), 1u);
  EXPECT_EQ(m.host.use_of(LWENVELOPEFUNCS_GLOBAL).acquire, m.host.use_of(LWENVELOPEFUNCS_GLOBAL).release);

  m.host.clear_messages();
  handlers.record(id).event(handlers.instance(id), &access);
  for (const host::HostMessage &message : m.host.messages()) ADD_FAILURE() << message.line1;
  const host::ServiceUse use = m.host.use_of(LWENVELOPEFUNCS_GLOBAL);
  EXPECT_EQ(use.acquire - use.release, 1) << "the watcher does not track";
  handlers.remove(id);
  EXPECT_TRUE(m.host.services_balanced());
}

}  // namespace
