#pragma once

#include <ostream>
#include <vector>

#include "cli/rotation_snapshot.h"

namespace cli {

// Totals of a fixing run.
struct FixTotals {
  std::size_t items = 0;
  std::size_t keys_rewritten = 0;
  std::size_t flips_before = 0;  // as FlipFindings::count() tells
  std::size_t flips_after = 0;
};

// Prints, per item, its rotation keys, how many were rewritten, and its flips
// (flip_finder.h) and largest step between keys before and after ("3 → 0"). `before` and `after` hold the
// same items in one order. Unless `list_every_item`, items with at most one key per rotation channel that
// nothing changed are counted in one closing line instead of a row each.
FixTotals print_fix_summary(std::ostream &out, const std::vector<ItemRotation> &before,
                            const std::vector<ItemRotation> &after, bool list_every_item = false);

// "143 rotation keys rewritten; flips: 20 before, 0 after".
void print_fix_totals(std::ostream &out, const FixTotals &totals);

}  // namespace cli
