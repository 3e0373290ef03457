#pragma once

#include <cmath>

#include "rotation/angle_constants.h"

namespace KeyFrame {

// nearest_turn for every input, out of line.
double nearest_turn_general(double x, double r);

namespace nearest_turn_detail {

// Adding and subtracting 1.5·2^52 rounds a double of magnitude below 2^51 to
// the nearest whole number (ties to even) in the default rounding mode.
constexpr double kRoundingShift = 6755399441055744.0;

// The quick placement below is taken for turn counts within this bound.
constexpr double kQuickTurnLimit = 1073741824.0;  // 2^30

// How far inside half a turn a quick placement must land. The stepping search
// forms its distances as n·2π + (x − r), the quick one as (x + n·2π) − r; the
// two differ by a few ulps of |r| + |n·2π| (about 5e-16 of |r| + 2π each),
// and this margin is many times that: inside it the stepping search's
// distance is below half a turn as well, every other count's far above, and
// so the stepping search ends on the same count.
constexpr double kQuickMargin = 1e-9;
constexpr double kQuickRelativeMargin = 1e-14;

}  // namespace nearest_turn_detail

// x moved by whole turns of 2π towards r: the placement x + n·2π (n a whole
// number, possibly negative) whose distance to r is smallest, where the
// distance of a difference v is -v if v ≤ -1e-14 and v otherwise. Turns are
// taken only while the distance strictly shrinks, so of two equally near
// placements the one with fewer turns wins: nearest_turn(0, π) is 0.
//
// The result is bit for bit that of adding or removing one turn at a time,
// with the turn multiple formed afresh as n·2π from a 32-bit count n, for every
// x and r that such stepping handles (fewer than 2^31 − 1 turns apart). Farther
// apart, where the count would overflow, the result is the angle equal to x
// modulo 2π that lies within half a turn of r. The cost does not depend on the
// distance. If x or r is not finite, x is returned.
//
// Inline for the key kernels' chains: the common cases are settled here, the
// rest by nearest_turn_general.
//
// Within half a turn no turn shrinks the distance: x itself, formed as
// x + 0·2π when x ≤ r (−0 becomes +0, as in the stepping search) and as
// x − 0·2π otherwise. Farther, the nearest whole number of turns is placed
// directly when the result lands clear of half a turn; x + n·2π with n < 0 is
// bit for bit the stepping search's x − |n|·2π. Ties, near-ties, huge
// distances and non-finite values (every comparison with NaN fails) go to
// nearest_turn_general.
inline double nearest_turn(double x, double r) {
  using namespace nearest_turn_detail;
  const double delta = x - r;
  if (delta >= -kPi && delta <= kPi) return x <= r ? x + 0.0 : x;
  const double turns = (-delta * kInvTwoPi + kRoundingShift) - kRoundingShift;
  if (turns > -kQuickTurnLimit && turns < kQuickTurnLimit) {
    const double placed = x + turns * kTwoPi;
    const double distance = placed - r;
    const double reach = kPi - (kQuickMargin + std::fabs(r) * kQuickRelativeMargin);
    if (distance > -reach && distance < reach) return placed;
  }
  return nearest_turn_general(x, r);
}

}  // namespace KeyFrame
