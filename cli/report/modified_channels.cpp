#include "cli/report/modified_channels.h"

#include "text/count_text.h"
#include "text/printable_text.h"

namespace cli::report {

std::string modified_channels_text(const session::ItemRotation &rotation) {
  std::string text;
  for (int channel = 0; channel < 3; ++channel) {
    const std::vector<std::string> &servers = rotation.modifiers[channel];
    if (servers.empty()) continue;
    text += (text.empty() ? "" : ", ") + std::string(session::kRotationChannelWords[channel]) + " (";
    for (std::size_t i = 0; i < servers.size(); ++i)
      text += (i == 0 ? "" : ", ") + text::printable(servers[i]);
    text += ")";
  }
  return text;
}

ModifiedCount count_modified_channels(const std::vector<session::ItemRotation> &rotations) {
  ModifiedCount count;
  for (const session::ItemRotation &rotation : rotations) {
    std::size_t channels = 0;
    for (const auto &servers : rotation.modifiers) channels += servers.empty() ? 0 : 1;
    count.channels += channels;
    count.items += channels != 0 ? 1 : 0;
  }
  return count;
}

std::string modified_count_text(const ModifiedCount &count) {
  return text::counted(static_cast<long long>(count.channels), "rotation channel", "rotation channels") +
         " in " + text::counted(static_cast<long long>(count.items), "item", "items") +
         (count.channels == 1 ? " carries a channel modifier" : " carry channel modifiers");
}

void print_modified_channels(std::ostream &out, const std::vector<session::ItemRotation> &rotations,
                             const std::string &meaning) {
  const ModifiedCount count = count_modified_channels(rotations);
  if (count.channels == 0) return;
  out << modified_count_text(count) << ", which this program cannot evaluate: " << meaning << '\n';
  for (const session::ItemRotation &rotation : rotations) {
    const std::string text = modified_channels_text(rotation);
    if (!text.empty()) out << "  " << text::printable(rotation.name) << ": " << text << '\n';
  }
}

}  // namespace cli::report
