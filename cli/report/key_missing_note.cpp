#include "cli/report/key_missing_note.h"

#include <cstdio>

#include "cli/report/angle_text.h"
#include "scene/rotation_channels.h"
#include "text/count_text.h"
#include "text/printable_text.h"

namespace cli::report {

void print_key_missing(std::ostream &out, const session::KeyMissingReport &report, double fps) {
  out << "key-missing: " << text::counted(static_cast<long long>(report.added), "key", "keys") << " added";
  if (report.added != 0) {
    char change[32];
    std::snprintf(change, sizeof change, "%.3g\u00b0", radians_to_degrees(report.largest_change));
    out << " in " << text::counted(static_cast<long long>(report.items), "item", "items")
        << " where the rotation channels were keyed apart; no curve moved by more than " << change;
    if (report.channel >= 0) {
      out << " between keys (" << text::printable(report.item) << "'s "
          << scene::kRotationChannelWords[report.channel] << " near frame " << frame_text(report.time, fps)
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

}  // namespace cli::report
