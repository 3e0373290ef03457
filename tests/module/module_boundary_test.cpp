// The module file as a host sees it: one exported symbol, four servers, the
// result codes of the activation contract, and balanced service use.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "layout_commands/command_interpreter.h"
#include "loader/master_handlers.h"
#include "module/host_interface.h"
#include "support/module_harness.h"
#include "support/rotation_keys.h"
#include "support/test_platform.h"
#include "support/thread_count.h"

namespace {

using testing_support::ModuleHarness;

const char *const kAllServices[] = {LWMESSAGEFUNCS_GLOBAL, LWLMONFUNCS_GLOBAL,   LWINTERFACEINFO_GLOBAL,
                                    LWITEMINFO_GLOBAL,     LWCHANNELINFO_GLOBAL, LWENVELOPEFUNCS_GLOBAL};

int total_requests(const host::Host &h) {
  int n = 0;
  for (const char *name : kAllServices) {
    const host::ServiceUse use = h.use_of(name);
    n += use.transient + use.acquire + use.release;
  }
  return n;
}

TEST(ModuleFile, ExportsOnlyTheDescriptor) {
  EXPECT_EQ(testing_support::platform::exported_symbols(testing_support::module_path()),
            std::set<std::string>{"_mod_descrip"});
}

TEST(ModuleFile, ListsFourServersInOrder) {
  ModuleHarness m;
  const auto &servers = m.module->servers();
  ASSERT_EQ(servers.size(), 4u);
  const std::pair<const char *, const char *> expected[] = {
      {"LayoutGeneric", "Tavorix:Scan"},
      {"LayoutGeneric", "Tavorix:InferiorAngle"},
      {"LayoutGeneric", "Tavorix:SuperiorAngle"},
      {"MasterHandler", "Tavorix:RealTime"},
  };
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(servers[i].class_name, expected[i].first);
    EXPECT_EQ(servers[i].name, expected[i].second);
  }
}

struct VersionCase {
  const char *class_name;
  const char *server;
  int version;
};

TEST(Activation, RefusesEveryOtherVersionBeforeTouchingTheHost) {
  const VersionCase cases[] = {
      {"LayoutGeneric", "Tavorix:Scan", 3},          {"LayoutGeneric", "Tavorix:Scan", 1},
      {"LayoutGeneric", "Tavorix:InferiorAngle", 3}, {"LayoutGeneric", "Tavorix:SuperiorAngle", 4},
      {"MasterHandler", "Tavorix:RealTime", 2},      {"MasterHandler", "Tavorix:RealTime", 3},
      {"MasterHandler", "Tavorix:RealTime", 5},
  };
  ModuleHarness m;
  for (const VersionCase &c : cases) {
    SCOPED_TRACE(std::string(c.server) + " offered " + std::to_string(c.version));
    m.host.reset_service_counts();
    LWMasterHandler handler{};
    LWLayoutGeneric generic{};
    void *local = std::string(c.class_name) == "MasterHandler" ? static_cast<void *>(&handler) : &generic;
    EXPECT_EQ(m.module->activate(c.class_name, c.server, c.version, m.host.global_function(), local),
              AFUNC_BADVERSION);
    EXPECT_EQ(total_requests(m.host), 0);
    EXPECT_EQ(handler.event, nullptr);
  }
}

TEST(Activation, WithoutMessageServiceEveryServerAnswersBadGlobal) {
  ModuleHarness m;
  m.host.withhold(LWMESSAGEFUNCS_GLOBAL);
  for (const char *server : {"Tavorix:Scan", "Tavorix:InferiorAngle", "Tavorix:SuperiorAngle"}) {
    SCOPED_TRACE(server);
    m.host.reset_service_counts();
    EXPECT_EQ(m.run(server), AFUNC_BADGLOBAL);
    // Only the message service was asked for.
    EXPECT_EQ(total_requests(m.host), m.host.use_of(LWMESSAGEFUNCS_GLOBAL).transient);
    EXPECT_EQ(m.host.use_of(LWLMONFUNCS_GLOBAL).transient, 0);
  }
  LWInstanceFuncs inst{};
  LWMasterHandler handler{};
  handler.inst = &inst;
  EXPECT_EQ(m.module->activate(LWMASTER_HCLASS, "Tavorix:RealTime", LWMASTER_VERSION,
                               m.host.global_function(), &handler),
            AFUNC_BADGLOBAL);
  EXPECT_EQ(handler.event, nullptr);
}

TEST(Activation, OneShotServersBalanceTheServicesTheyAcquire) {
  ModuleHarness m;
  m.host.scene().add_item("Null");
  for (const char *server : {"Tavorix:Scan", "Tavorix:InferiorAngle", "Tavorix:SuperiorAngle"}) {
    SCOPED_TRACE(server);
    m.host.reset_service_counts();
    EXPECT_EQ(m.run(server), AFUNC_OK);
    for (const char *name :
         {LWINTERFACEINFO_GLOBAL, LWITEMINFO_GLOBAL, LWCHANNELINFO_GLOBAL, LWENVELOPEFUNCS_GLOBAL}) {
      EXPECT_EQ(m.host.use_of(name).acquire, 1) << name;
      EXPECT_EQ(m.host.use_of(name).release, 1) << name;
    }
    EXPECT_TRUE(m.host.services_balanced());
  }
}

TEST(Activation, MissingSceneServiceIsReportedAndReleasesTheRest) {
  for (const char *missing :
       {LWINTERFACEINFO_GLOBAL, LWITEMINFO_GLOBAL, LWCHANNELINFO_GLOBAL, LWENVELOPEFUNCS_GLOBAL}) {
    SCOPED_TRACE(missing);
    ModuleHarness m;
    scene::Item &item = m.host.scene().add_item("Null");
    m.host.scene().select_only(&item);
    m.host.withhold(missing);
    for (const char *server : {"Tavorix:Scan", "Tavorix:InferiorAngle", "Tavorix:SuperiorAngle"}) {
      EXPECT_EQ(m.run(server), AFUNC_BADGLOBAL) << server;
    }
    EXPECT_TRUE(m.host.services_balanced());
    EXPECT_EQ(item.envelope("Rotation.H")->size(), 0u);  // nothing was collected
  }
}

TEST(Activation, MasterHandlerRecordIsFilledOnlyWhereThereIsRoom) {
  ModuleHarness m;
  LWMasterHandler handler{};
  EXPECT_EQ(m.module->activate(LWMASTER_HCLASS, "Tavorix:RealTime", LWMASTER_VERSION,
                               m.host.global_function(), &handler),
            AFUNC_OK);
  EXPECT_EQ(handler.type, 1);
  EXPECT_NE(handler.event, nullptr);
  EXPECT_NE(handler.flags, nullptr);
  EXPECT_EQ(handler.inst, nullptr);
  EXPECT_EQ(handler.item, nullptr);
}

// One round of a host's life with the module: load, every server (the
// real-time watcher included, through a parallel correction of three items),
// destroy, shut down, unload. No thread of the module may outlive the round.
void run_every_server_once() {
  ModuleHarness m;
  scene::Scene &scene = m.host.scene();
  for (int i = 0; i < 3; ++i) {
    scene::Item &item = scene.add_item("Item" + std::to_string(i));
    testing_support::set_rotation_key(item, 0.0, {0.1 * i, 0.5, 0.2});
    testing_support::set_rotation_key(item, 1.0, {3.5, 2.9, 3.0});
    scene.add_to_selection(&item);
  }
  ASSERT_EQ(m.run("Tavorix:InferiorAngle"), AFUNC_OK);
  ASSERT_EQ(m.run("Tavorix:SuperiorAngle"), AFUNC_OK);
  ASSERT_EQ(m.run("Tavorix:Scan"), AFUNC_OK);
  {
    loader::MasterHandlers handlers(m.host);
    layout_commands::CommandInterpreter interpreter(m.host, m.module.get(), &handlers);
    handlers.add(*m.module, "Tavorix:RealTime");
    const layout_commands::CommandResult result =
        interpreter.run_script("AddRotation 5 0 0\nAddRotation 5 0 0\nAddRotation 5 0 0\nNextFrame\n");
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(interpreter.refresh_count(), 1u);
  }
  ASSERT_TRUE(m.host.services_balanced());
  // A run that finishes tells the user nothing (the scan reports through its
  // monitor alone).
  ASSERT_TRUE(m.host.messages().empty()) << m.host.messages()[0].line1;
}

TEST(ModuleLifetime, LoadRunAndUnloadAThousandTimes) {
  // The first round also starts the threads that live as long as the process
  // (a sanitizer's own background thread, for one; on Windows the watcher
  // thread GoogleTest starts at a thread's first SCOPED_TRACE); count after it.
  {
    SCOPED_TRACE("round 0");
    run_every_server_once();
  }
  const int threads_before = testing_support::thread_count_at_rest();
  for (int round = 1; round < 1000; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    run_every_server_once();
    if (HasFatalFailure()) return;
    ASSERT_LE(testing_support::thread_count_settled_at(threads_before), threads_before)
        << "a thread outlived the module";
  }
}

}  // namespace
