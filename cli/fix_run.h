#pragma once

#include <string>
#include <vector>

#include "cli/rotation_snapshot.h"
#include "host/host.h"
#include "host/module_loader.h"

namespace cli {

// One run of a module command on a scene, as the reports see it.
struct FixRun {
  std::vector<host::Item *> items;
  std::vector<ItemRotation> before;  // the items' rotation keys before anything was done
  std::vector<ItemRotation> after;   // and after the command, rounding put back
  std::size_t anchored_items = 0;    // first triples moved near zero first
};

// Selects `items` in the host's scene, moves their first key triples near
// zero when `anchor` says so (anchor_near_zero.h), runs the "LayoutGeneric"
// server `server` of `module` and puts back the values it moved only by
// rounding (rounding_guard.h). Throws CliFailure (module failed) when the
// server fails.
FixRun run_fix(host::Host &host, host::LoadedModule &module, const std::string &server,
               const std::vector<host::Item *> &items, bool anchor);

}  // namespace cli
