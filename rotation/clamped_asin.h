#pragma once

#include <cmath>

namespace KeyFrame {

// Arcsine whose argument is first clamped to [-1, 1]. The read-backs take the
// arcsine of frame components and of ratios such as right.y / sqrt(1 - forward.y²);
// at a bank or pitch of ±π/2 rounding can push those a few ulps past ±1, where
// std::asin returns NaN. Inside [-1, 1] this is exactly std::asin; a NaN
// argument stays NaN.
inline double clamped_asin(double x) {
  if (x > 1.0) {
    x = 1.0;
  } else if (x < -1.0) {
    x = -1.0;
  }
  return std::asin(x);
}

}  // namespace KeyFrame
