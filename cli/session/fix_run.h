#pragma once

#include <string>
#include <vector>

#include "cli/session/rotation_snapshot.h"
#include "cli/session/triple_changes.h"
#include "host/host.h"
#include "loader/module_loader.h"

namespace cli::session {

// One run of a module command on a scene, as the reports see it: the
// items' rotation keys before anything was done and after the command
// (rounding put back), with what changed.
struct FixRun : RotationRun {
  std::vector<scene::Item *> items;
  std::size_t anchored_items = 0;    // first triples moved near zero first
  int module_runs = 0;               // how often the server ran (the scan may run again to settle)
  std::size_t reflected_slopes = 0;  // middle channel keys (pitch in H-P-B) whose stored slopes were negated
  std::size_t reflected_not_pitch = 0;         // those of them on a heading or bank channel (other orders)
  std::vector<std::size_t> reflected_by_item;  // reflected_slopes, by item
};

// How a command is run.
enum class Repeat {
  once,           // inferior and superior toggle: once is the command
  until_settled,  // the scan: again until it changes nothing more (see below)
};

// Selects `items` in the host's scene, moves their first key triples near
// zero when `anchor` says so (anchor_near_zero.h), runs the "LayoutGeneric"
// server `server` of `module` and puts back the values it moved only by
// rounding (rounding_guard.h). Throws CliFailure (module failed) when the
// server fails.
//
// Putting rounding back shifts the key that the scan took as the reference
// of the next one by that rounding (under 1e-6 rad), which can tip a choice
// that sat within that much of its tie (a pitch at +90° followed by one at
// -90°, say). So the scan runs again on what it left, until a run changes
// nothing more (at most kMostScanRuns times): what it writes is then what
// another scan of the written scene leaves as it is.
//
// The module rewrites values only. Where it wrote the other triple of a key
// triple, the stored slopes of the key of the order's middle channel (the
// pitch key of an H-P-B item) are then negated, so that the item moves near
// the key as it did (motion/pitch_slopes.h).
FixRun run_fix(host::Host &host, loader::LoadedModule &module, const std::string &server,
               const std::vector<scene::Item *> &items, bool anchor, Repeat repeat);

constexpr int kMostScanRuns = 4;

}  // namespace cli::session
