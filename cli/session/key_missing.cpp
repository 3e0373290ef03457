#include "cli/session/key_missing.h"

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

}  // namespace cli::session
