#pragma once

#include <cmath>
#include <cstdint>

#include "rotation/angle_constants.h"

namespace KeyFrame {

// An angle x split into whole turns and the rest: x ≈ whole + reduced, where
// whole is a multiple of 2π and reduced has the sign of x with |reduced| < 2π
// (up to rounding).
struct TurnSplit {
  double whole;
  double reduced;
};

// The turn count is x·(1/2π) truncated toward zero to a 32-bit integer k, and
// whole = k·2π, reduced = x − k·2π. Beyond the 32-bit count (|x| from about
// 1.35e10 rad) that conversion would overflow; there the exact remainder
// std::fmod(x, 2π) is the reduced angle and x minus it the whole turns, the
// same split without a counter. Non-finite x gives NaN parts.
inline TurnSplit turn_split(double x) {
  const double turns = x * kInvTwoPi;
  // Every value in this open interval truncates to a 32-bit integer.
  if (turns > -2147483649.0 && turns < 2147483648.0) {
    const double whole = static_cast<double>(static_cast<std::int32_t>(turns)) * kTwoPi;
    return {whole, x - whole};
  }
  const double reduced = std::fmod(x, kTwoPi);
  return {x - reduced, reduced};
}

}  // namespace KeyFrame
