#include "cli/report/fix_summary.h"

#include "cli/report/angle_text.h"
#include "cli/report/order_text.h"
#include "cli/report/rotation_notes.h"
#include "cli/report/text_table.h"
#include "cli/session/triple_changes.h"
#include "text/printable_text.h"

namespace cli::report {
namespace {

bool is_animated(const session::ItemRotation &rotation) {
  for (const auto &keys : rotation.channels) {
    if (keys.size() >= 2) return true;
  }
  return false;
}

}  // namespace

FixTotals count_fix_totals(const session::RotationRun &run) {
  FixTotals totals;
  for (const std::vector<session::TripleChange> &changes : run.changes) {
    const std::size_t rewritten = changes.size();
    ++totals.items;
    totals.triples_rewritten += rewritten;
    totals.items_changed += rewritten != 0 ? 1 : 0;
  }
  return totals;
}

FixTotals print_fix_summary(std::ostream &out, const session::RotationRun &run, const motion::RunSpins *spins,
                            bool list_every_item) {
  const std::vector<session::ItemRotation> &before = run.before;
  const std::vector<session::ItemRotation> &after = run.after;
  // The order column only where an item has another order than H-P-B, so
  // that the report of a classic scene stays as it always was.
  bool show_orders = false;
  for (const session::ItemRotation &rotation : before)
    show_orders = show_orders || rotation.order != KeyFrame::RotationOrder::kHPB;
  std::vector<std::string> headings = {"item", "key triples", "rewritten", "largest step"};
  if (show_orders) headings.insert(headings.begin() + 1, "order");
  if (spins != nullptr) headings.push_back("spins");
  TextTable table(headings);
  std::size_t unlisted = 0;
  for (std::size_t i = 0; i < run.changes.size(); ++i) {
    const std::size_t rewritten = run.changes[i].size();
    if (!list_every_item && !is_animated(before[i]) && !is_animated(after[i]) && rewritten == 0) {
      ++unlisted;
      continue;
    }
    std::vector<std::string> row = {text::printable(before[i].name),
                                    std::to_string(session::count_key_triples(after[i])),
                                    std::to_string(rewritten),
                                    degrees_text(note_rotation(before[i]).largest_step) + " \u2192 " +
                                        degrees_text(note_rotation(after[i]).largest_step)};
    if (show_orders) row.insert(row.begin() + 1, order_text(before[i].order));
    if (spins != nullptr) {
      const auto count = [i](const std::vector<std::vector<motion::Spin>> &spins_of) {
        return std::to_string(i < spins_of.size() ? spins_of[i].size() : 0);
      };
      row.push_back(count(spins->before) + " \u2192 " + count(spins->after));
    }
    table.add_row(row);
  }
  table.print(out, "  ");
  if (unlisted != 0) {
    out << "  (" << unlisted << (unlisted == 1 ? " item" : " items")
        << " with at most one key per rotation channel, unchanged, not listed)\n";
  }
  return count_fix_totals(run);
}

void print_fix_totals(std::ostream &out, const FixTotals &totals) {
  out << totals.triples_rewritten << (totals.triples_rewritten == 1 ? " key triple" : " key triples")
      << " rewritten in " << totals.items_changed << (totals.items_changed == 1 ? " item" : " items") << '\n';
}

}  // namespace cli::report
