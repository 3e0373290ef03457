#include "cli/fix_summary.h"

#include "cli/angle_text.h"
#include "cli/rotation_notes.h"
#include "cli/text_table.h"
#include "cli/triple_changes.h"
#include "scene_files/printable_text.h"

namespace cli {
namespace {

bool is_animated(const ItemRotation &rotation) {
  for (const auto &keys : rotation.channels) {
    if (keys.size() >= 2) return true;
  }
  return false;
}

}  // namespace

FixTotals count_fix_totals(const std::vector<ItemRotation> &before, const std::vector<ItemRotation> &after) {
  FixTotals totals;
  for (std::size_t i = 0; i < before.size() && i < after.size(); ++i) {
    const std::size_t rewritten = compare_rotations(before[i], after[i]).size();
    ++totals.items;
    totals.triples_rewritten += rewritten;
    totals.items_changed += rewritten != 0 ? 1 : 0;
  }
  return totals;
}

FixTotals print_fix_summary(std::ostream &out, const std::vector<ItemRotation> &before,
                            const std::vector<ItemRotation> &after, bool list_every_item) {
  TextTable table({"item", "key triples", "rewritten", "largest step"});
  std::size_t unlisted = 0;
  for (std::size_t i = 0; i < before.size() && i < after.size(); ++i) {
    const std::size_t rewritten = compare_rotations(before[i], after[i]).size();
    if (!list_every_item && !is_animated(before[i]) && !is_animated(after[i]) && rewritten == 0) {
      ++unlisted;
      continue;
    }
    table.add_row({host::printable(before[i].name), std::to_string(count_key_triples(after[i])),
                   std::to_string(rewritten),
                   degrees_text(note_rotation(before[i]).largest_step) + " \u2192 " +
                       degrees_text(note_rotation(after[i]).largest_step)});
  }
  table.print(out, "  ");
  if (unlisted != 0) {
    out << "  (" << unlisted << (unlisted == 1 ? " item" : " items")
        << " with at most one key per rotation channel, unchanged, not listed)\n";
  }
  return count_fix_totals(before, after);
}

void print_fix_totals(std::ostream &out, const FixTotals &totals) {
  out << totals.triples_rewritten << (totals.triples_rewritten == 1 ? " key triple" : " key triples")
      << " rewritten in " << totals.items_changed << (totals.items_changed == 1 ? " item" : " items") << '\n';
}

}  // namespace cli
