#pragma once

#include <vector>

#include "cli/rotation_snapshot.h"

namespace cli {

// What "tavorix check" reports as flips in an item's rotation keys.
//
// - A jump: two consecutive keys of one channel more than a quarter turn
//   apart. Baked or exported rotations that flip show such jumps: a whole
//   turn added or lost (h -> h - 2 pi), or the other Euler triple of the same
//   orientation (h + pi, pi - p, b + pi), which moves every channel by about
//   half a turn.
// - A key beyond a whole turn: a value whose size exceeds 2 pi, which no
//   animator keys on purpose and which makes the curve spin on its way there.
//
// Both allow kAngleSlack for values written with 8 digits (6.2831855 is a
// whole turn, not beyond one).
constexpr double kQuarterTurn = 1.5707963267948966;
constexpr double kWholeTurn = 6.283185307179586;
constexpr double kAngleSlack = 1e-6;

struct RotationJump {
  int channel = 0;  // 0 heading, 1 pitch, 2 bank
  RotationKey from;
  RotationKey to;
};

struct KeyBeyondTurn {
  int channel = 0;
  RotationKey key;
};

struct FlipFindings {
  std::vector<RotationJump> jumps;
  std::vector<KeyBeyondTurn> beyond_turn;
  double largest_step = 0.0;  // the signed step of largest size between consecutive keys, radians

  std::size_t count() const { return jumps.size() + beyond_turn.size(); }
};

FlipFindings find_flips(const ItemRotation &rotation);

}  // namespace cli
