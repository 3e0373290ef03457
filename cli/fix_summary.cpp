#include "cli/fix_summary.h"

#include "cli/angle_text.h"
#include "cli/flip_finder.h"
#include "cli/text_table.h"

namespace cli {
namespace {

bool is_animated(const ItemRotation &rotation) {
  for (const auto &keys : rotation.channels) {
    if (keys.size() >= 2) return true;
  }
  return false;
}

std::string change_text(std::size_t before, std::size_t after) {
  return std::to_string(before) + " \u2192 " + std::to_string(after);
}

}  // namespace

FixTotals print_fix_summary(std::ostream &out, const std::vector<ItemRotation> &before,
                            const std::vector<ItemRotation> &after, bool list_every_item) {
  FixTotals totals;
  TextTable table({"item", "rotation keys", "rewritten", "flips", "largest step"});
  std::size_t unlisted = 0;
  for (std::size_t i = 0; i < before.size() && i < after.size(); ++i) {
    const FlipFindings old_flips = find_flips(before[i]);
    const FlipFindings new_flips = find_flips(after[i]);
    const std::size_t rewritten = count_rewritten_keys(before[i], after[i]);
    ++totals.items;
    totals.keys_rewritten += rewritten;
    totals.flips_before += old_flips.count();
    totals.flips_after += new_flips.count();
    if (!list_every_item && !is_animated(before[i]) && !is_animated(after[i]) && rewritten == 0 &&
        old_flips.count() == 0 && new_flips.count() == 0) {
      ++unlisted;
      continue;
    }
    table.add_row({before[i].name, std::to_string(after[i].key_count()), std::to_string(rewritten),
                   change_text(old_flips.count(), new_flips.count()),
                   degrees_text(old_flips.largest_step) + " \u2192 " + degrees_text(new_flips.largest_step)});
  }
  table.print(out, "  ");
  if (unlisted != 0) {
    out << "  (" << unlisted << (unlisted == 1 ? " item" : " items")
        << " with at most one key per rotation channel, unchanged, not listed)\n";
  }
  return totals;
}

void print_fix_totals(std::ostream &out, const FixTotals &totals) {
  out << totals.keys_rewritten << (totals.keys_rewritten == 1 ? " rotation key" : " rotation keys")
      << " rewritten; flips: " << totals.flips_before << " before, " << totals.flips_after << " after\n";
}

}  // namespace cli
