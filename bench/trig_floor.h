#pragma once

// The floor under build_frame + read_angles (and so under every key kernel):
// exactly the library calls they make for one key (three sine/cosine pairs,
// seven square roots, two arcsines, one atan2) and nothing else. A chain
// that must make those calls cannot run faster than this.

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "bench/random_triples.h"
#include "rotation/angle_constants.h"
#include "rotation/angle_triple.h"
#include "rotation/rotation_frame.h"

namespace bench_support {

// The arguments of the library calls for one key. The six normalisations take
// square roots of sums of squares of unit vectors (1 within rounding; the cost
// of sqrt does not depend on the value).
struct TrigArguments {
  KeyFrame::AngleTriple angles;
  double asin_pitch, asin_bank, atan2_y, atan2_x, sqrt_s;
};

inline std::vector<TrigArguments> trig_arguments_for(const std::vector<KeyFrame::AngleTriple> &keys) {
  std::vector<TrigArguments> out;
  for (const KeyFrame::AngleTriple &a : keys) {
    const KeyFrame::RotationFrame f = KeyFrame::build_frame(a);
    const double s = 1.0 - f.forward.y * f.forward.y;
    const bool up_down = f.up.y <= -KeyFrame::kZeroTolerance;
    // Random keys never reach the gimbal branches of read_heading.
    out.push_back(
        {a, f.forward.y, f.right.y / std::sqrt(s), f.forward.x, up_down ? -f.forward.z : f.forward.z, s});
  }
  return out;
}

// The arguments for random_keys(), made once.
inline const std::vector<TrigArguments> &random_key_trig_arguments() {
  static const std::vector<TrigArguments> args = trig_arguments_for(random_keys());
  return args;
}

// The library calls of one key; `one` is 1.0, hidden from the optimiser.
inline void trig_floor_calls(const TrigArguments &t, double one) {
  benchmark::DoNotOptimize(std::cos(t.angles.heading) + std::sin(t.angles.heading));
  benchmark::DoNotOptimize(std::cos(t.angles.pitch) + std::sin(t.angles.pitch));
  benchmark::DoNotOptimize(std::cos(t.angles.bank) + std::sin(t.angles.bank));
  for (int k = 0; k < 6; ++k) {
    benchmark::DoNotOptimize(std::sqrt(one));
  }
  benchmark::DoNotOptimize(std::atan2(t.atan2_y, t.atan2_x));
  benchmark::DoNotOptimize(std::asin(t.asin_pitch));
  benchmark::DoNotOptimize(std::sqrt(t.sqrt_s));
  benchmark::DoNotOptimize(std::asin(t.asin_bank));
}

// The library calls of every key of `args`, in order. Out of line, so that
// every benchmark that compares against the floor times the same code.
[[gnu::noinline]] inline void trig_floor_pass(const std::vector<TrigArguments> &args) {
  double one = 1.0;
  benchmark::DoNotOptimize(one);
  for (const TrigArguments &t : args) trig_floor_calls(t, one);
}

}  // namespace bench_support
