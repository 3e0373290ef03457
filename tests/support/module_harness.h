#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/host.h"
#include "host/module_loader.h"

namespace testing_support {

// The built tavorix.p loaded into a fresh stand-in host.
struct ModuleHarness {
  ModuleHarness() : module(host::LoadedModule::load(TAVORIX_MODULE_PATH)) {}

  // Runs a "LayoutGeneric" server by name and returns its result code.
  int run(const std::string &server) { return host::run_generic(*module, host, server); }

  host::Host host;
  std::unique_ptr<host::LoadedModule> module;
};

// A test with the module loaded into a fresh host, and items added to the
// selection as they are made.
struct ModuleTest : ::testing::Test {
  host::Scene &scene() { return m.host.scene(); }
  host::Item &selected_item(const std::string &name) {
    host::Item &item = scene().add_item(name);
    scene().add_to_selection(&item);
    return item;
  }

  ModuleHarness m;
};

}  // namespace testing_support
