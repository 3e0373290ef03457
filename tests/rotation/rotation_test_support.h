#pragma once

// Shared pieces of the rotation tests: frame comparison, the tolerance model
// of the read-backs, and a fixed-seed source of random and adversarial angles.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iomanip>
#include <ostream>
#include <random>

#include "rotation/angle_constants.h"
#include "rotation/angle_triple.h"
#include "rotation/rotation_frame.h"
#include "support/orientation.h"

namespace KeyFrame {

// Failure messages print triples in full precision (found by argument lookup).
inline std::ostream &operator<<(std::ostream &out, const AngleTriple &a) {
  return out << std::setprecision(17) << "(" << a.heading << ", " << a.pitch << ", " << a.bank << ")";
}

namespace test {

// Largest component difference between two frames.
inline double frame_distance(const RotationFrame &a, const RotationFrame &b) {
  auto d = [](const Vector3 &u, const Vector3 &v) {
    return std::max({std::fabs(u.x - v.x), std::fabs(u.y - v.y), std::fabs(u.z - v.z)});
  };
  return std::max({d(a.forward, b.forward), d(a.up, b.up), d(a.right, b.right)});
}

inline bool is_finite(const AngleTriple &a) {
  return std::isfinite(a.heading) && std::isfinite(a.pitch) && std::isfinite(a.bank);
}

// How closely a frame read back into angles (and rebuilt) can match the
// frame of `a`: the model shared by every area's tests.
inline double readback_tolerance(const AngleTriple &a) { return testing_support::orientation_tolerance(a); }

// Past the batch gimbal limit while 1 - forward.y² still exceeds the zero
// test: where the heading's gimbal test and the bank's zero test disagree.
inline bool in_narrow_band(const RotationFrame &f) {
  return std::fabs(f.forward.y) > kBatchGimbalLimit && 1.0 - f.forward.y * f.forward.y > kZeroTolerance;
}

// The same band widened by the rounding of forward.y: a key kernel reads
// back a frame whose forward.y may be a few ulps from build_frame's, and
// 1 - forward.y² moves by 2e-16 an ulp there, 2% of the zero test.
inline bool near_narrow_band(const RotationFrame &f) {
  constexpr double kFewUlps = 1e-15;
  return std::fabs(f.forward.y) > kBatchGimbalLimit - kFewUlps &&
         1.0 - f.forward.y * f.forward.y > kZeroTolerance - 4 * kFewUlps;
}

// Random angles with a fixed seed, mixed with the values where the rotation
// code branches: exact and nearly exact multiples of π/2, pitches at the batch
// and the live gimbal limits, headings whose forward.z sits at the live dead
// band, and angles many turns out.
class AngleSource {
 public:
  explicit AngleSource(std::uint64_t seed) : rng_(seed) {}

  double uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng_); }
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  double sign() { return pick(2) == 0 ? -1.0 : 1.0; }
  double quarter_turn() { return (pick(25) - 12) * kHalfPi; }
  double whole_turns(int max_turns) { return (pick(2 * max_turns + 1) - max_turns) * kTwoPi; }

  double angle() {
    switch (pick(9)) {
      case 0: return uniform(-kPi, kPi);
      case 1: return uniform(-2000.0 * kPi, 2000.0 * kPi);
      case 2: return quarter_turn();
      case 3: return quarter_turn() + sign() * std::pow(10.0, uniform(-16.0, -3.0));
      case 4:  // |forward.y| around the batch gimbal limit (narrow band included)
        return sign() * kHalfPi + whole_turns(3) + sign() * uniform(0.5e-7, 2e-7);
      case 5:  // |forward.y| around the live gimbal limit
        return sign() * kHalfPi + whole_turns(3) + sign() * (0.0316 + uniform(-1e-4, 1e-4));
      case 6:  // forward.z around the live dead band
        return sign() * kHalfPi + sign() * uniform(0.0, 1e-3);
      default: return uniform(-4.0 * kPi, 4.0 * kPi);
    }
  }

  AngleTriple triple() { return {angle(), angle(), angle()}; }

 private:
  std::mt19937_64 rng_;
};

// Number of random cases of each property test.
constexpr int kPropertyCases = 200000;

}  // namespace test
}  // namespace KeyFrame
