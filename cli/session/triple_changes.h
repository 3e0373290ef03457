#pragma once

#include <array>
#include <optional>
#include <vector>

#include "cli/session/rotation_snapshot.h"

namespace cli::session {

// A key triple: the heading, pitch and bank keys of an item at one time.
// A channel key: one key of one of those channels. The module rewrites key
// triples; the reports count them.

// The times at which an item has a key on all three rotation channels.
std::size_t count_key_triples(const ItemRotation &rotation);

// What one fix did at one time: the values of the three channel keys there
// before and after (none where a channel had no key).
// The triples are those of the item's rotation order: with its letters
// (first, middle, last) from the outside in, the other triple of an
// orientation is (first + π, π − middle, last + π), which for the classic
// H-P-B is (h + π, π − p, b + π).
struct TripleChange {
  double time = 0.0;  // seconds
  std::array<std::optional<double>, 3> before;
  std::array<std::optional<double>, 3> after;
  KeyFrame::RotationOrder order = KeyFrame::RotationOrder::kHPB;

  // How the new triple is the orientation of the old one:
  enum class Kind {
    whole_turns,   // each angle moved by whole turns
    other_triple,  // (first + π, π − middle, last + π), up to whole turns: the middle angle moved by
                   // other than whole turns
    gimbal_fold,   // at a middle angle of ±90°, where the first and last letters' angles turn about one
                   // axis, the last moved into the first
    added,         // a channel key was made or removed there
  };
  Kind kind() const;
};

// Whether `change` wrote the other triple, (first + π, π − middle, last + π)
// up to whole turns, over a full triple: the middle channel's slope must
// then change sign there (motion/pitch_slopes.h). At a middle angle of ±90°
// the kind above may read it as whole turns; this does not.
bool reflects_middle(const TripleChange &change);

// Every time at which `after` differs from `before` (the same item at two
// moments): a channel key rewritten (scene::only_rounded tells), added or
// removed. In time order, each time once.
std::vector<TripleChange> compare_rotations(const ItemRotation &before, const ItemRotation &after);

// The rotation keys of a run's items before and after it, and what changed
// (compare_rotations of each item), computed once for every report.
struct RotationRun {
  std::vector<ItemRotation> before;
  std::vector<ItemRotation> after;
  std::vector<std::vector<TripleChange>> changes;  // per item

  // Fills `changes` from `before` and `after` (the same items, one order).
  void compare();
  // The items the run changed, with their changes.
  RotationRun changed_items() const;
};

}  // namespace cli::session
