#pragma once

#include <array>
#include <optional>
#include <vector>

#include "cli/rotation_snapshot.h"

namespace cli {

// A key triple: the heading, pitch and bank keys of an item at one time.
// A channel key: one key of one of those channels. The module rewrites key
// triples; the reports count them.

// The times at which an item has a key on all three rotation channels.
std::size_t count_key_triples(const ItemRotation &rotation);

// What one fix did at one time: the values of the three channel keys there
// before and after (none where a channel had no key).
struct TripleChange {
  double time = 0.0;  // seconds
  std::array<std::optional<double>, 3> before;
  std::array<std::optional<double>, 3> after;

  // How the new triple is the orientation of the old one:
  enum class Kind {
    whole_turns,   // each angle moved by whole turns
    other_triple,  // (h + π, π − p, b + π), up to whole turns: the pitch moved by other than whole turns
    gimbal_fold,   // at pitch ±90°, where heading and bank turn about one axis, the bank moved into the
                   // heading
    added,         // a channel key was made or removed there
  };
  Kind kind() const;
};

// Every time at which `after` differs from `before` (the same item at two
// moments): a channel key rewritten (host::value_changed tells), added or
// removed. In time order, each time once.
std::vector<TripleChange> compare_rotations(const ItemRotation &before, const ItemRotation &after);

}  // namespace cli
