#pragma once

#include <vector>

#include "cli/rotation_snapshot.h"

namespace cli {

// What "tavorix check" looks for in an item's rotation keys.
//
// A jump: two consecutive keys of one channel more than a quarter turn
// apart. A jump is a flip when the same orientation lies much closer, which
// is what baked or exported rotations that flip show:
// - the other Euler triple: where the heading, pitch and bank channels all
//   have keys at both times, the later triple (h, p, b) describes the same
//   orientation as (h + pi, pi - p, b + pi); if that triple lies closer to
//   the earlier one by the sum of the heading and bank steps, each the short
//   way round (the measure the module's scan uses), the key holds the
//   "wrong" triple;
// - whole turns added or lost: a step of more than half a turn, which the
//   nearest whole number of turns makes shorter (h -> h - 2 pi).
// A jump that is neither is a large turn: listed, not a flip. After a scan
// no flip remains, since the scan makes exactly these choices.
//
// A key beyond a whole turn (a value whose size exceeds 2 pi) counts as a
// flip too: nobody keys that on purpose, and the curve spins on its way there.
//
// Comparisons allow kAngleSlack for values written with 8 digits (6.2831855
// is a whole turn, not beyond one).
constexpr double kQuarterTurn = 1.5707963267948966;
constexpr double kHalfTurn = 3.141592653589793;
constexpr double kWholeTurn = 6.283185307179586;
constexpr double kAngleSlack = 1e-6;

enum class JumpKind {
  kOtherTripleFlip,  // the other Euler triple of the later key is closer
  kWholeTurnFlip,    // a step over half a turn: whole turns make it shorter
  kLargeTurn         // neither: a real turn
};

struct RotationJump {
  int channel = 0;  // 0 heading, 1 pitch, 2 bank
  RotationKey from;
  RotationKey to;
  JumpKind kind = JumpKind::kLargeTurn;
  double shortest_step = 0.0;  // this channel's step to the closest equivalent, radians

  bool is_flip() const { return kind != JumpKind::kLargeTurn; }
};

struct KeyBeyondTurn {
  int channel = 0;
  RotationKey key;
};

struct FlipFindings {
  std::vector<RotationJump> jumps;  // every jump over a quarter turn, flips and large turns
  std::vector<KeyBeyondTurn> beyond_turn;
  double largest_step = 0.0;  // the signed step of largest size between consecutive keys, radians

  std::size_t flip_jump_count() const;
  // Flips: jumps that are flips plus keys beyond a whole turn.
  std::size_t count() const { return flip_jump_count() + beyond_turn.size(); }
};

FlipFindings find_flips(const ItemRotation &rotation);

}  // namespace cli
