// Master-handler instances in the stand-in host: made through the server's
// activation and create, destroyed when removed or when the scene's handlers
// go away, and given every event in order. Also the built module's handler
// and generic servers as the interpreter runs them.
#include "loader/master_handlers.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "layout_commands/command_interpreter.h"
#include "recording_handler.h"
#include "support/module_harness.h"
#include "support/rotation_keys.h"

namespace {

using testing_support::activate_recorder;
using testing_support::HandlerLog;

TEST(MasterHandlers, CreateAndDestroyEachInstanceOnce) {
  host::Host host;
  HandlerLog first, second;
  {
    loader::MasterHandlers handlers(host);
    const auto a = handlers.add(activate_recorder, &first, "First");
    const auto b = handlers.add(activate_recorder, &second, "Second");
    EXPECT_NE(a, b);
    EXPECT_EQ(handlers.ids(), (std::vector<loader::MasterHandlers::Id>{a, b}));
    EXPECT_EQ(handlers.server_name(b), "Second");
    EXPECT_EQ(handlers.description(a), "Recorder");
    EXPECT_EQ(handlers.instance(a), &first);
    EXPECT_EQ(first.created, 1);

    handlers.remove(a);
    handlers.remove(a);  // unknown by now: ignored
    EXPECT_EQ(first.destroyed, 1);
    EXPECT_FALSE(handlers.contains(a));
    EXPECT_THROW(handlers.record(a), std::out_of_range);
    EXPECT_EQ(second.destroyed, 0);
  }
  EXPECT_EQ(second.destroyed, 1);  // with the handlers
  EXPECT_EQ(first.destroyed, 1);
}

TEST(MasterHandlers, FailedActivationOrCreateIsAnErrorWithItsReason) {
  host::Host host;
  loader::MasterHandlers handlers(host);
  HandlerLog refusing;
  refusing.create_error = "No room for sprockets";
  try {
    handlers.add(activate_recorder, &refusing, "Refusing");
    ADD_FAILURE() << "no error";
  } catch (const loader::MasterHandlerError &error) {
    EXPECT_NE(std::string(error.what()).find("No room for sprockets"), std::string::npos) << error.what();
    EXPECT_NE(std::string(error.what()).find("Refusing"), std::string::npos) << error.what();
  }
  HandlerLog bad_global;
  bad_global.activation_result = AFUNC_BADGLOBAL;
  EXPECT_THROW(handlers.add(activate_recorder, &bad_global, "BadGlobal"), loader::MasterHandlerError);
  EXPECT_EQ(handlers.size(), 0u);
  EXPECT_EQ(refusing.destroyed + bad_global.destroyed, 0);
}

TEST(MasterHandlers, AddingNeedsTheHandlersHostToBeCurrent) {
  host::Host first;
  loader::MasterHandlers handlers(first);
  host::Host second;  // now current
  HandlerLog log;
  EXPECT_THROW(handlers.add(activate_recorder, &log, "Recorder"), std::logic_error);
  EXPECT_EQ(log.created, 0);
}

TEST(MasterHandlers, EveryEventReachesEveryHandlerInOrder) {
  host::Host host;
  loader::MasterHandlers handlers(host);
  std::vector<std::string> order;
  HandlerLog a, b;
  a.on_event = [&](const LWMasterAccess &) { order.push_back("a"); };
  b.on_event = [&](const LWMasterAccess &) { order.push_back("b"); };
  handlers.add(activate_recorder, &a, "A");
  handlers.add(activate_recorder, &b, "B");
  handlers.command("Reset");
  handlers.time_changed();
  handlers.selection_changed();
  handlers.send(LWEVNT_COMMAND, nullptr);
  handlers.send(42, nullptr);
  EXPECT_EQ(order, (std::vector<std::string>{"a", "b", "a", "b", "a", "b", "a", "b", "a", "b"}));
  ASSERT_EQ(b.events.size(), 5u);
  EXPECT_EQ(b.events[0].text, "Reset");
  EXPECT_EQ(b.events[1].code, LWEVNT_TIME);
  EXPECT_EQ(b.events[2].code, LWEVNT_SELECT);
  EXPECT_TRUE(b.events[3].null_text);
  EXPECT_EQ(b.events[4].code, 42);
}

TEST(MasterHandlers, HandlerRemovedDuringItsOwnEventIsDestroyedWhenTheEventReturns) {
  host::Host host;
  loader::MasterHandlers handlers(host);
  HandlerLog log, later;
  loader::MasterHandlers::Id id = 0;
  int destroyed_inside = -1;
  log.on_event = [&](const LWMasterAccess &) {
    handlers.remove(id);
    destroyed_inside = log.destroyed;
  };
  id = handlers.add(activate_recorder, &log, "SelfRemoving");
  handlers.add(activate_recorder, &later, "Later");
  handlers.command("Reset");
  EXPECT_EQ(destroyed_inside, 0);
  EXPECT_EQ(log.destroyed, 1);
  EXPECT_EQ(later.events.size(), 1u);  // the others still get the event
  handlers.command("Reset");
  EXPECT_EQ(log.events.size(), 1u);
}

// ---- With the built module -------------------------------------------------------

TEST(ModuleHandlers, OnlyMasterHandlerServersCanBeAdded) {
  testing_support::ModuleHarness m;
  loader::MasterHandlers handlers(m.host);
  EXPECT_THROW(handlers.add(*m.module, "Tavorix:Scan"), loader::ModuleLoadError);
  EXPECT_THROW(handlers.add(*m.module, "Tavorix:Nothing"), loader::ModuleLoadError);
  const auto id = handlers.add(*m.module, "Tavorix:RealTime");
  EXPECT_EQ(handlers.description(id), "Tavorix: RealTime");
}

TEST(ModuleHandlers, GenericCommandIsReportedBeforeTheServerRuns) {
  testing_support::ModuleHarness m;
  loader::MasterHandlers handlers(m.host);
  layout_commands::CommandInterpreter commands(m.host, m.module.get(), &handlers);
  scene::Item &item = m.host.scene().add_item("A");
  testing_support::set_rotation_key(item, 0.0, {0.0, 0.5, 0.0});
  m.host.scene().select_only(&item);

  HandlerLog log;
  double pitch_when_reported = 0.0;
  log.on_event = [&](const LWMasterAccess &access) {
    const char *text = static_cast<const char *>(access.eventData);
    if (access.eventCode == LWEVNT_COMMAND && std::string(text) == "Generic_Tavorix:InferiorAngle") {
      pitch_when_reported = item.envelope("Rotation.P")->find(0.0)->value;
    }
  };
  handlers.add(testing_support::activate_recorder, &log, "Recorder");
  std::vector<std::string> progress;
  commands.set_hooks({nullptr, [&](const host::MonitorCall &call) {
                        if (call.op == "step" && !call.text.empty()) progress.push_back(call.text);
                      }});

  const layout_commands::CommandResult result =
      commands.run_script("Generic_Tavorix:InferiorAngle\nGeneric_Tavorix:Scan");
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(pitch_when_reported, 0.5);  // not yet rewritten
  EXPECT_NE(item.envelope("Rotation.P")->find(0.0)->value, 0.5);
  EXPECT_EQ(log.commands(),
            (std::vector<std::string>{"Generic_Tavorix:InferiorAngle", "Generic_Tavorix:Scan"}));
  EXPECT_EQ(progress, (std::vector<std::string>{"Scanned: 1 items"}));
}

TEST(ModuleHandlers, GenericServerThatFailsStopsTheScript) {
  testing_support::ModuleHarness m;
  layout_commands::CommandInterpreter commands(m.host, m.module.get(), nullptr);
  m.host.withhold(LWMESSAGEFUNCS_GLOBAL);
  const layout_commands::CommandResult result = commands.run_script("Generic_Tavorix:Scan\nRefreshNow");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.line, 1u);
  EXPECT_NE(result.error.find("missing host service"), std::string::npos) << result.error;
  EXPECT_EQ(commands.refresh_count(), 0u);
}

}  // namespace
