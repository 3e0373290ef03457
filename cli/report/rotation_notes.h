#pragma once

#include <vector>

#include "cli/session/rotation_snapshot.h"
#include "scene/rotation_channels.h"

namespace cli::report {

// What the reports say about an item's rotation keys beside the flips the
// scan fixes: how far its keys step, and where they lie beyond a whole turn.
// None of these is a flip by itself: a spin keyed on purpose steps more than
// a quarter turn and reaches beyond a whole turn; the scan keeps both.
//
// Comparisons allow scene::kAngleSlack for values written with 8 digits.
using scene::kAngleSlack;
using scene::kHalfTurn;
using scene::kQuarterTurn;
using scene::kWholeTurn;

// Two consecutive keys of one channel.
struct RotationStep {
  int channel = 0;  // 0 heading, 1 pitch, 2 bank
  session::RotationKey from;
  session::RotationKey to;
  double size() const { return to.value - from.value; }
};

struct KeyBeyondTurn {
  int channel = 0;
  session::RotationKey key;
};

struct RotationNotes {
  std::vector<RotationStep> large_steps;  // more than a quarter turn, in channel order, then time
  std::vector<KeyBeyondTurn> beyond_turn;
  // The signed step of largest size between consecutive keys, radians. Of
  // steps within kTieSlack of the same size the first one (channel order,
  // then time) is taken, so that steps of +50° and -50° are told the same
  // way whatever rounding the values carry.
  double largest_step = 0.0;
};

constexpr double kTieSlack = 1e-9;

RotationNotes note_rotation(const session::ItemRotation &rotation);

}  // namespace cli::report
