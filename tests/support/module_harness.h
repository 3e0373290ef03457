#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "host/host.h"
#include "loader/module_loader.h"
#include "support/build_paths.h"

namespace testing_support {

// The module file the tests load: the one this build made, or the one named
// by TAVORIX_TEST_MODULE (a module built against other host headers, run
// through the same tests).
inline std::string module_path() {
  const char *chosen = std::getenv("TAVORIX_TEST_MODULE");
  return chosen != nullptr && *chosen != '\0' ? chosen : testing_support::build_paths::module_file();
}

// The module file loaded into a fresh stand-in host.
struct ModuleHarness {
  ModuleHarness() : module(loader::LoadedModule::load(module_path())) {}

  // Runs a "LayoutGeneric" server by name and returns its result code.
  int run(const std::string &server) { return loader::run_generic(*module, host, server); }

  host::Host host;
  std::unique_ptr<loader::LoadedModule> module;
};

// A test with the module loaded into a fresh host, and items added to the
// selection as they are made.
struct ModuleTest : ::testing::Test {
  scene::Scene &scene() { return m.host.scene(); }
  scene::Item &selected_item(const std::string &name) {
    scene::Item &item = scene().add_item(name);
    scene().add_to_selection(&item);
    return item;
  }

  ModuleHarness m;
};

}  // namespace testing_support
