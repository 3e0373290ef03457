#pragma once

#include <ostream>
#include <vector>

#include "cli/session/rotation_snapshot.h"
#include "cli/session/triple_changes.h"
#include "motion/spins.h"

namespace cli::report {

// Totals of a fixing run.
struct FixTotals {
  std::size_t items = 0;
  std::size_t triples_rewritten = 0;  // key triples (cli/session/triple_changes.h) that changed
  std::size_t items_changed = 0;
};

// Prints, per item, its key triples, how many were rewritten and its largest
// step between consecutive keys before and after ("-266.2° → 93.8°"), and
// with `spins` the spins the viewer sees before and after ("1 → 0").
// Unless
// `list_every_item`, items with at most one key per rotation channel that
// nothing changed are counted in one closing line instead of a row each.
FixTotals print_fix_summary(std::ostream &out, const session::RotationRun &run,
                            const motion::RunSpins *spins = nullptr, bool list_every_item = false);

// The totals without the table.
FixTotals count_fix_totals(const session::RotationRun &run);

// "3 key triples rewritten in 2 items".
void print_fix_totals(std::ostream &out, const FixTotals &totals);

}  // namespace cli::report
