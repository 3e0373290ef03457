#include "cli/session/fix_run.h"

#include "cli/session/anchor_near_zero.h"
#include "cli/session/module_session.h"
#include "cli/session/rounding_guard.h"
#include "cli/session/triple_changes.h"
#include "motion/channel_roles.h"
#include "motion/pitch_slopes.h"

namespace cli::session {
namespace {

// Whether the rotation keys of `items` are those of `snapshot` (the same
// items, in that order), without taking a snapshot of them.
bool keys_are(const std::vector<ItemRotation> &snapshot, const std::vector<scene::Item *> &items) {
  for (std::size_t i = 0; i < snapshot.size() && i < items.size(); ++i) {
    for (int channel = 0; channel < 3; ++channel) {
      const scene::Envelope *envelope = items[i]->envelope(kRotationChannelNames[channel]);
      const std::vector<RotationKey> &keys = snapshot[i].channels[channel];
      std::size_t k = 0;
      for (const scene::Key *key = envelope != nullptr ? envelope->first() : nullptr; key != nullptr;
           key = key->next, ++k) {
        if (k == keys.size() || keys[k].time != key->time || keys[k].value != key->value) return false;
      }
      if (k != keys.size()) return false;
    }
  }
  return true;
}

// Negates the stored slopes of the middle channel's keys (the pitch keys of
// an H-P-B item) whose triples the command rewrote into the other triple;
// counts them in `run`.
void follow_reflected_middle(FixRun &run) {
  run.reflected_by_item.assign(run.items.size(), 0);
  for (std::size_t i = 0; i < run.items.size() && i < run.changes.size(); ++i) {
    const int middle = motion::channel_roles(run.before[i].order).middle;
    scene::Envelope *envelope = run.items[i]->envelope(kRotationChannelNames[middle]);
    if (envelope == nullptr) continue;
    std::vector<double> reflected;
    for (const TripleChange &change : run.changes[i]) {
      if (reflects_middle(change)) reflected.push_back(change.time);
    }
    const std::size_t changed = motion::reflect_pitch_slopes(*envelope, reflected);
    run.reflected_slopes += changed;
    run.reflected_by_item[i] = changed;
    if (middle != 1) run.reflected_not_pitch += changed;
  }
}

}  // namespace

FixRun run_fix(host::Host &host, loader::LoadedModule &module, const std::string &server,
               const std::vector<scene::Item *> &items, bool anchor, Repeat repeat) {
  FixRun run;
  run.items = items;
  host.scene().select(items);
  run.before = snapshot_rotations(items);
  if (anchor) run.anchored_items = anchor_near_zero(items);
  // Two snapshots at most beside the scene: the keys before anything was
  // done, and those the last run of the module started from.
  std::vector<ItemRotation> start;
  const bool drew_progress = host.draw_progress();
  for (;;) {
    run_module_command(module, host, server);
    ++run.module_runs;
    restore_rounded_keys(run.module_runs == 1 ? run.before : start, items);
    if (repeat == Repeat::once || run.module_runs == kMostScanRuns) break;
    // Settled: the run changed nothing beyond what it started from (the
    // first run, nothing at all: another would start where it did).
    if (keys_are(run.module_runs == 1 ? run.before : start, items)) break;
    start = snapshot_rotations(items);
    host.set_draw_progress(false);  // one bar is enough
  }
  host.set_draw_progress(drew_progress);
  start = std::vector<ItemRotation>();
  run.after = snapshot_rotations(items);
  run.compare();
  follow_reflected_middle(run);
  return run;
}

}  // namespace cli::session
