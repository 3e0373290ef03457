// The "Tavorix:RealTime" handler as the host holds it: the record its
// activation fills, and instances created, described and destroyed in every
// watch state with the scene services balanced.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "watcher_fixture.h"

namespace {

using testing_support::add_rotation;
using testing_support::ModuleHarness;
using testing_support::WatcherScene;
using testing_support::WatcherTest;

// Placeholder values the activation must either overwrite or leave alone.
int sentinel_item;
LWInstance never_create(void *, void *, LWError *) { return nullptr; }

LWMasterHandler filled_with_sentinels(LWInstanceFuncs *inst) {
  LWMasterHandler handler{};
  handler.inst = inst;
  handler.item = reinterpret_cast<LWItemFuncs *>(&sentinel_item);
  handler.type = 77;
  if (inst != nullptr) {
    inst->priv = &sentinel_item;
    inst->create = never_create;
  }
  return handler;
}

int activate(ModuleHarness &m, int version, LWMasterHandler &handler) {
  return m.module->activate(LWMASTER_HCLASS, "Tavorix:RealTime", version, m.host.global_function(), &handler);
}

TEST(RealTimeActivation, FillsTypeCallbacksAndEveryInstanceSlot) {
  ModuleHarness m;
  LWInstanceFuncs inst{};
  LWMasterHandler handler = filled_with_sentinels(&inst);
  ASSERT_EQ(activate(m, LWMASTER_VERSION, handler), AFUNC_OK);
  EXPECT_EQ(handler.type, 1);
  ASSERT_NE(handler.event, nullptr);
  ASSERT_NE(handler.flags, nullptr);
  EXPECT_EQ(handler.flags(nullptr), 0u);
  EXPECT_EQ(handler.item, reinterpret_cast<LWItemFuncs *>(&sentinel_item));  // no item callbacks are offered
  EXPECT_EQ(handler.inst, &inst);
  EXPECT_EQ(inst.priv, &sentinel_item);
  EXPECT_NE(inst.create, never_create);
  for (const void *slot :
       {reinterpret_cast<const void *>(inst.destroy), reinterpret_cast<const void *>(inst.copy),
        reinterpret_cast<const void *>(inst.load), reinterpret_cast<const void *>(inst.save),
        reinterpret_cast<const void *>(inst.descln)}) {
    EXPECT_NE(slot, nullptr);
  }
  EXPECT_STREQ(inst.descln(nullptr), "Tavorix: RealTime");
}

TEST(RealTimeActivation, OtherVersionsLeaveTheRecordAsItWas) {
  ModuleHarness m;
  for (int version : {3, 5}) {
    LWInstanceFuncs inst{};
    LWMasterHandler handler = filled_with_sentinels(&inst);
    const LWInstanceFuncs inst_before = inst;
    const LWMasterHandler before = handler;
    EXPECT_EQ(activate(m, version, handler), AFUNC_BADVERSION);
    EXPECT_EQ(std::memcmp(&handler, &before, sizeof handler), 0) << version;
    EXPECT_EQ(std::memcmp(&inst, &inst_before, sizeof inst), 0) << version;
  }
}

TEST_F(WatcherTest, DescriptionIsTheSameInEveryState) {
  selected_item("A", {0.1, 0.2, 0.3});
  EXPECT_EQ(handlers.description(watcher), "Tavorix: RealTime");
  run(add_rotation(1, 0, 0));
  EXPECT_EQ(handlers.description(watcher), "Tavorix: RealTime");
  run("ParentCoordinateSystem");
  EXPECT_EQ(handlers.description(watcher), "Tavorix: RealTime");
}

TEST_F(WatcherTest, CopyLoadAndSaveCarryNothing) {
  scene::Item &item = selected_item("A", {0.1, 0.2, 0.3});
  run("AutoKey 0\n" + add_rotation(1, 0, 0));
  const loader::MasterHandlers::Id other = handlers.add(*m.module, "Tavorix:RealTime");
  const LWInstanceFuncs &inst = *handlers.record(watcher).inst;
  const LWInstance tracking_instance = handlers.instance(watcher);
  const LWInstance armed_instance = handlers.instance(other);

  EXPECT_EQ(inst.copy(armed_instance, tracking_instance), nullptr);
  EXPECT_EQ(inst.copy(tracking_instance, armed_instance), nullptr);
  EXPECT_EQ(inst.save(tracking_instance, reinterpret_cast<const LWSaveState *>(&item)), nullptr);
  EXPECT_EQ(inst.load(tracking_instance, reinterpret_cast<const LWLoadState *>(&item)), nullptr);
  EXPECT_EQ(services_held(), 1);  // the copy did not start tracking in `other`

  handlers.remove(other);
  EXPECT_EQ(services_held(), 1);
  run(add_rotation(1, 0, 0));  // the copied-from instance still steps
  EXPECT_EQ(commands.refresh_count(), 2u);
}

TEST(RealTimeInstance, DestroyReleasesTheServicesOnlyWhenTracking) {
  struct Case {
    const char *name;
    const char *script;
    int released;
  };
  const Case cases[] = {
      {"armed", "", 0},
      {"tracking", "AddRotation 1 0 0", 1},
      {"dormant", "AddRotation 1 0 0\nParentCoordinateSystem", 1},
      {"armed again", "AddRotation 1 0 0\nReset", 1},
      {"tracking nothing", "SelectItem 0x10000099\nAddRotation 1 0 0", 1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    WatcherScene t;
    t.selected_item("A", {0.1, 0.2, 0.3});
    t.scene().add_item("Other", scene::ItemKind::Null, 0x10000099);
    t.run(c.script);
    t.handlers.remove(t.watcher);
    EXPECT_FALSE(t.handlers.contains(t.watcher));
    EXPECT_TRUE(t.m.host.services_balanced());
    for (const char *name :
         {LWINTERFACEINFO_GLOBAL, LWITEMINFO_GLOBAL, LWCHANNELINFO_GLOBAL, LWENVELOPEFUNCS_GLOBAL}) {
      EXPECT_EQ(t.m.host.use_of(name).release, c.released) << name;
    }
  }
}

}  // namespace
