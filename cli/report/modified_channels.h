#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/session/rotation_snapshot.h"

namespace cli::report {

// Rotation channels that carry channel modifiers (an expression, a link to
// another channel, noise, ...). The module works on a channel's keys, as
// Layout's own commands do, and the program evaluates the keys' curve; what
// the viewer sees is the modifier's output, which neither can evaluate. So
// the reports name such channels and say that their spins and plots show the
// keys' curve, not the modified motion; flips are found and fixed on the
// keys as on any channel.

// "heading (.EnvExprLink), bank (LW_Noisy, .EnvExprLink)": each modified
// rotation channel of `rotation` with its modifiers' server names, in
// channel order; empty when it has none.
std::string modified_channels_text(const session::ItemRotation &rotation);

// How many rotation channels of `rotations` carry modifiers, and in how many
// items.
struct ModifiedCount {
  std::size_t channels = 0;
  std::size_t items = 0;
};
ModifiedCount count_modified_channels(const std::vector<session::ItemRotation> &rotations);

// "2 rotation channels in 1 item carry channel modifiers".
std::string modified_count_text(const ModifiedCount &count);

// When any of `rotations` has modified rotation channels: a line with their
// count and `meaning` ("the plot shows the keys' curves, not the modified
// motion"), then a line per such item naming them:
//   "  Spine2: heading (.EnvExprLink)". Nothing otherwise.
void print_modified_channels(std::ostream &out, const std::vector<session::ItemRotation> &rotations,
                             const std::string &meaning);

}  // namespace cli::report
