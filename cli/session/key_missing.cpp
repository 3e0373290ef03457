#include "cli/session/key_missing.h"

#include <cstdio>

#include "cli/report/angle_text.h"
#include "cli/session/rotation_snapshot.h"
#include "text/count_text.h"
#include "text/printable_text.h"

namespace cli::session {

KeyMissingReport add_missing_rotation_keys(const host::Host &host, const std::vector<scene::Item *> &items) {
  KeyMissingReport report;
  const double fps = host.scene().frames_per_second();
  for (scene::Item *item : items) {
    const motion::MissingKeys done = motion::add_missing_keys(*item, fps, host.hermite_tangents());
    report.added += done.added;
    report.not_added += done.not_added;
    report.items += done.added != 0 ? 1 : 0;
    if (done.largest_change_channel >= 0 && done.largest_change >= report.largest_change) {
      report.largest_change = done.largest_change;
      report.item = item->name;
      report.channel = done.largest_change_channel;
      report.time = done.largest_change_time;
    }
  }
  return report;
}

void print_key_missing(std::ostream &out, const KeyMissingReport &report, double fps) {
  out << "key-missing: " << text::counted(static_cast<long long>(report.added), "key", "keys") << " added";
  if (report.added != 0) {
    char change[32];
    std::snprintf(change, sizeof change, "%.3g\u00b0", report::radians_to_degrees(report.largest_change));
    out << " in " << text::counted(static_cast<long long>(report.items), "item", "items")
        << " where the rotation channels were keyed apart; no curve moved by more than " << change;
    if (report.channel >= 0) {
      out << " between keys (" << text::printable(report.item) << "'s "
          << kRotationChannelWords[report.channel] << " near frame " << report::frame_text(report.time, fps)
          << ")";
    }
  } else {
    out << ": the rotation channels of every item are keyed together";
  }
  out << '\n';
  if (report.not_added != 0) {
    out << "key-missing: " << text::counted(static_cast<long long>(report.not_added), "key", "keys")
        << " not added beyond the keys of a channel whose end behaviour repeats or extrapolates (a key there "
           "would change it)\n";
  }
}

}  // namespace cli::session
