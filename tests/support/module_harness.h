#pragma once

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

}  // namespace testing_support
