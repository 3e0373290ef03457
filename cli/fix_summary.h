#pragma once

#include <ostream>
#include <vector>

#include "cli/rotation_snapshot.h"

namespace cli {

// Totals of a fixing run.
struct FixTotals {
  std::size_t items = 0;
  std::size_t keys_rewritten = 0;
  std::size_t flips_before = 0;  // jumps over a quarter turn plus keys beyond a whole turn
  std::size_t flips_after = 0;
};

// Prints, per item, its rotation keys, how many were rewritten, and its jumps
// over a quarter turn, largest step and keys beyond a whole turn before and
// after ("3 → 0"). `before` and `after` hold the same items in one order.
// Unless `list_every_item`, items with at most one key per rotation channel
// that nothing changed are counted in one closing line instead of a row each.
FixTotals print_fix_summary(std::ostream &out, const std::vector<ItemRotation> &before,
                            const std::vector<ItemRotation> &after, bool list_every_item = false);

}  // namespace cli
