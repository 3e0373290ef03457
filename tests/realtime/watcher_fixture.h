#pragma once

// A stand-in host with the built module loaded, one "Tavorix:RealTime"
// handler instance in its scene and the command interpreter plugged in: the
// setting every real-time watcher test drives with command scripts.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "layout_commands/command_interpreter.h"
#include "loader/master_handlers.h"
#include "support/module_harness.h"
#include "support/rotation_keys.h"
#include "support/scene_builders.h"

namespace testing_support {

constexpr double kRadiansPerDegree = 0.017453292519943295;

inline KeyFrame::AngleTriple degrees(double h, double p, double b) {
  return {h * kRadiansPerDegree, p * kRadiansPerDegree, b * kRadiansPerDegree};
}

inline KeyFrame::AngleTriple plus(const KeyFrame::AngleTriple &a, const KeyFrame::AngleTriple &d) {
  return {a.heading + d.heading, a.pitch + d.pitch, a.bank + d.bank};
}

inline KeyFrame::AngleTriple minus(const KeyFrame::AngleTriple &a, const KeyFrame::AngleTriple &b) {
  return {a.heading - b.heading, a.pitch - b.pitch, a.bank - b.bank};
}

// "AddRotation h p b" with the degrees written so that they read back exactly.
inline std::string add_rotation(double h, double p, double b) {
  char text[128];
  std::snprintf(text, sizeof text, "AddRotation %.17g %.17g %.17g", h, p, b);
  return text;
}

// The item's id as the selection commands take it, e.g. "0x10000000".
inline std::string id_text(const scene::Item &item) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(item.id));
  return text;
}

struct WatcherScene {
  ModuleHarness m;
  loader::MasterHandlers handlers{m.host};
  layout_commands::CommandInterpreter commands{m.host, m.module.get(), &handlers};
  loader::MasterHandlers::Id watcher = handlers.add(*m.module, "Tavorix:RealTime");

  scene::Scene &scene() { return m.host.scene(); }

  // An item keyed at time 0 with `angles`, added to the selection.
  scene::Item &selected_item(const std::string &name, const KeyFrame::AngleTriple &angles) {
    scene::Item &item = add_rotating_item(scene(), name, {{0.0, angles}});
    scene().add_to_selection(&item);
    return item;
  }

  KeyFrame::AngleTriple keys(const scene::Item &item, double time = 0.0) {
    const auto found = rotation_key(item, time);
    EXPECT_TRUE(found.has_value()) << item.name << " has no rotation keys at " << time;
    return found.value_or(KeyFrame::AngleTriple{});
  }

  // Runs a script that must succeed.
  void run(const std::string &script) {
    const layout_commands::CommandResult result = commands.run_script(script);
    ASSERT_TRUE(result.ok) << result.error;
  }

  // How many times the watcher holds each of the four scene services: 1 while
  // tracking, 0 otherwise. A difference between the four is a fault.
  int services_held() {
    int held = -1;
    for (const char *name :
         {LWINTERFACEINFO_GLOBAL, LWITEMINFO_GLOBAL, LWCHANNELINFO_GLOBAL, LWENVELOPEFUNCS_GLOBAL}) {
      const host::ServiceUse use = m.host.use_of(name);
      const int balance = use.acquire - use.release;
      if (held >= 0 && balance != held) ADD_FAILURE() << name << " is held " << balance << " times";
      held = balance;
    }
    return held;
  }
  bool tracking() { return services_held() == 1; }

  int key_sets() {
    int n = 0;
    for (const host::EnvelopeCall &call : m.host.envelope_calls()) n += call.op == "keySet" ? 1 : 0;
    return n;
  }
};

struct WatcherTest : ::testing::Test, WatcherScene {};

}  // namespace testing_support
