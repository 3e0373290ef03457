#include "cli/fix_run.h"

#include "cli/anchor_near_zero.h"
#include "cli/module_session.h"
#include "cli/rounding_guard.h"

namespace cli {

FixRun run_fix(host::Host &host, host::LoadedModule &module, const std::string &server,
               const std::vector<host::Item *> &items, bool anchor) {
  FixRun run;
  run.items = items;
  host.scene().select(items);
  run.before = snapshot_rotations(items);
  if (anchor) run.anchored_items = anchor_near_zero(items);
  run_module_command(module, host, server);
  restore_rounded_keys(run.before, items);
  run.after = snapshot_rotations(items);
  return run;
}

}  // namespace cli
