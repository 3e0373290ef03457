#pragma once

// How far two correct implementations of the canonical read-back may be
// apart for one key, given that their frame components and elementary
// functions round differently (each a few ulps): per angle, the spread that
// such rounding causes through the read-back's formulas; and whether one of
// its branch tests lies within that rounding of its threshold, where the two
// may take different branches. Worked out on the scalar reference's frame.

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "bench/reference/reference_readback.h"
#include "rotation/angle_constants.h"
#include "rotation/angle_triple.h"
#include "rotation/rotation_frame.h"

namespace KeyFrame::test {

// A frame component or function result off by this much at most: sixteen
// ulps of 1 (the frame's components are sums of products of sines and
// cosines, each rounded).
constexpr double kComponentSlack = 16 * DBL_EPSILON;

// The agreement expected of angles the read-back or a kernel writes: 1e-12
// rad, or two ulps of the angle where doubles are farther apart than that
// (above 4096 rad).
inline double angle_agreement(double angle) {
  return std::max(1e-12, 2.0 * (std::nextafter(std::fabs(angle), DBL_MAX) - std::fabs(angle)));
}

struct ReadBackSpread {
  AngleTriple angles{0.0, 0.0, 0.0};  // per angle, radians
  bool on_boundary = false;
  // Of those, the gimbal limit itself: one side folds the bank into the
  // heading, the other reads both, so the two answers are the same
  // orientation only to within the pitch's distance from the pole times the
  // bank (about 1.4e-7 rad times it).
  bool at_narrow_band = false;
};

namespace spread_detail {

// The arcsine's change when its argument x moves by d: d/√(1 − x²), and at
// most √(2d) + d, its change from ±1.
inline double asin_spread(double x, double d) {
  const double room = std::sqrt(std::max(0.0, 1.0 - x * x));
  return std::min(d / std::max(room, DBL_MIN), std::sqrt(2.0 * d) + d);
}

inline bool near(double value, double threshold, double slack) {
  return std::fabs(value - threshold) <= slack;
}

}  // namespace spread_detail

inline ReadBackSpread readback_spread(const AngleTriple &key) {
  using spread_detail::asin_spread;
  using spread_detail::near;
  const RotationFrame f = scalar_reference::build_frame(key);
  const double slack = kComponentSlack;
  const double fy = f.forward.y;
  const double s = f.forward.x * f.forward.x + f.forward.z * f.forward.z;  // cos² p, as read_angles takes it
  const bool gimbal = std::fabs(fy) > kBatchGimbalLimit;

  ReadBackSpread out;
  out.angles.pitch = asin_spread(std::clamp(fy, -1.0, 1.0), slack) + slack;
  if (gimbal) {
    out.angles.heading = 2 * slack;
  } else {
    out.angles.heading = slack / std::max(std::hypot(f.forward.x, f.forward.z), DBL_MIN) + slack;
  }
  if (s > kZeroTolerance - 4 * slack && !gimbal) {
    const double root = std::sqrt(std::max(s, DBL_MIN));
    const double q = std::clamp(f.right.y / root, -1.0, 1.0);
    const double dq = slack / root + std::fabs(q) * 4 * slack / std::max(s, DBL_MIN);
    out.angles.bank = asin_spread(q, dq) + slack;
  }

  const double pitch_asin = -std::asin(std::clamp(fy, -1.0, 1.0));
  const AngleTriple reference = scalar_reference::read_angles(f);
  const bool gimbal_edge = near(fy, kBatchGimbalLimit, slack) || near(fy, -kBatchGimbalLimit, slack);
  const bool zero_test_edge = near(s, kZeroTolerance, 4 * slack);
  out.at_narrow_band = gimbal_edge && s > kZeroTolerance - 4 * slack;
  out.on_boundary = gimbal_edge || zero_test_edge || near(f.up.y, -kZeroTolerance, slack) ||
                    near(pitch_asin, -kZeroTolerance, out.angles.pitch) ||
                    std::fabs(reference.heading) > kPi - out.angles.heading;
  return out;
}

}  // namespace KeyFrame::test
