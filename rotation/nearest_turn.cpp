#include "rotation/nearest_turn.h"

#include <cmath>

#include "rotation/angle_constants.h"

namespace KeyFrame {

namespace {

// The largest turn count a stepping search with a 32-bit counter can return:
// it must evaluate count + 1 without overflowing.
constexpr double kMaxSteppedTurns = 2147483646.0;

// The estimate of the first turn count below is within one of the true count
// for every distance in the 32-bit range; the correction loops allow a margin.
constexpr int kMaxCorrections = 4;

// The signed distance after n turns, formed as in the stepping search:
// (n·2π) + delta when moving up, delta − (n·2π) when moving down.
inline double up_distance(double n, double delta) { return n * kTwoPi + delta; }
inline double down_distance(double n, double delta) { return delta - n * kTwoPi; }

// Beyond the 32-bit count: x's angle within a turn, placed within half a turn
// of r, the lower side on an exact tie when moving up and the upper side when
// moving down (fewer turns either way). std::fmod is exact, so the
// difference of the two reduced angles is formed without cancellation.
double place_far(double x, double r) {
  double w = std::fmod(x, kTwoPi) - std::fmod(r, kTwoPi);
  while (w > kPi) {
    w -= kTwoPi;
  }
  while (w < -kPi) {
    w += kTwoPi;
  }
  if (x < r && w == kPi) {
    w = -kPi;
  } else if (x > r && w == -kPi) {
    w = kPi;
  }
  return r + w;
}

}  // namespace

// Let s(n) be the signed difference after n turns (up_distance or
// down_distance). It changes by about 2π per turn, monotonically. The stepping
// search compares the magnitudes |s(n)| (magnitude rule: -v only when
// v ≤ -1e-14), which shrink while s(n) is on one side of the threshold -1e-14
// and grow once it has crossed. So with j the first count whose s(j) has
// crossed, the search stops at n = j, returning j − 1 turns, when
// |s(j)| ≥ |s(j − 1)|, and otherwise one step later, returning j turns.
// (s(n) is strictly monotonic here: below 2^31 turns, 2π is far above the
// rounding of n·2π + delta.) The count j is estimated from delta/2π and then
// made exact on the floating-point values of s themselves, so ties and
// near-ties come out as in the stepping search.
double nearest_turn_general(double x, double r) {
  if (!std::isfinite(x) || !std::isfinite(r)) {
    return x;
  }
  const double delta = x - r;
  if (!std::isfinite(delta)) {
    return place_far(x, r);
  }
  if (x <= r) {
    // Within half a turn no turn shrinks the distance. The result is still
    // formed as x + 0·2π, which turns -0 into +0 as the stepping search does.
    if (delta >= -kPi) {
      return x + 0.0;
    }
    // Moving up: s(n) = n·2π + delta rises; it has crossed once s(n) > -1e-14.
    double j = std::floor(-delta * kInvTwoPi) + 1.0;
    if (j > kMaxSteppedTurns + 2.0) {
      return place_far(x, r);
    }
    for (int i = 0; i < kMaxCorrections && !(up_distance(j, delta) > -kZeroTolerance); ++i) {
      j += 1.0;
    }
    for (int i = 0; i < kMaxCorrections && j > 0.0 && up_distance(j - 1.0, delta) > -kZeroTolerance; ++i) {
      j -= 1.0;
    }
    if (j == 0.0) {
      return x + 0.0;
    }
    // s(j - 1) ≤ -1e-14, so its magnitude is -s(j - 1); s(j) > -1e-14 counts as is.
    const double turns = up_distance(j, delta) >= -up_distance(j - 1.0, delta) ? j - 1.0 : j;
    if (turns > kMaxSteppedTurns) {
      return place_far(x, r);
    }
    return x + turns * kTwoPi;
  }
  if (delta <= kPi) {
    return x;  // x − 0·2π
  }
  // Moving down: s(n) = delta − n·2π falls from delta > 0; it has crossed once
  // s(n) ≤ -1e-14.
  double j = std::floor(delta * kInvTwoPi) + 1.0;
  if (j > kMaxSteppedTurns + 2.0) {
    return place_far(x, r);
  }
  for (int i = 0; i < kMaxCorrections && down_distance(j, delta) > -kZeroTolerance; ++i) {
    j += 1.0;
  }
  for (int i = 0; i < kMaxCorrections && j > 1.0 && !(down_distance(j - 1.0, delta) > -kZeroTolerance); ++i) {
    j -= 1.0;
  }
  // s(j - 1) > -1e-14 counts as is; s(j) ≤ -1e-14 has magnitude -s(j).
  const double turns = -down_distance(j, delta) >= down_distance(j - 1.0, delta) ? j - 1.0 : j;
  if (turns > kMaxSteppedTurns) {
    return place_far(x, r);
  }
  return x - turns * kTwoPi;
}

}  // namespace KeyFrame
