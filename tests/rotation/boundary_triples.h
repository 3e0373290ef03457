#pragma once

// Triples aimed at the read-back's thresholds and special values, each moved
// a few ulps either way, for the sweeps that compare the module's read-back
// and kernels with the scalar reference: every multiple of π/2; pitches whose
// |sin| is the batch gimbal limit 0.99999999999999, the real-time one 0.9995,
// or leaves 1 − sin² at the zero test 1e-14; banks that put up.y = cos p cos b
// at −1e-14; pitches at the sign test −1e-14 with up.y negative; headings at
// the ±π cut; huge angles; non-finite values and signed zeros.

#include <cmath>
#include <cstdint>
#include <limits>

#include "rotation/angle_constants.h"
#include "rotation/angle_triple.h"
#include "rotation_test_support.h"

namespace KeyFrame::test {

class BoundaryTriples {
 public:
  explicit BoundaryTriples(std::uint64_t seed) : source_(seed) {}

  // The number of distinct kinds below; kind(k) gives one triple of kind k.
  static constexpr int kKinds = 11;

  AngleTriple next() { return kind(source_.pick(kKinds)); }

  AngleTriple kind(int k) {
    switch (k) {
      case 0: return nudged({quarter(), quarter(), quarter()});
      case 1: return with_pitch(sine_pitch(kBatchGimbalLimit));
      case 2: return with_pitch(sine_pitch(std::sqrt(1.0 - kZeroTolerance)));
      case 3: return with_pitch(sine_pitch(kLiveGimbalLimit));
      case 4: return up_at_zero_test();
      case 5: return pitch_at_sign_test();
      case 6: return {ulps(source_.sign() * kPi, 4), source_.angle(), source_.angle()};
      case 7: return {huge(), huge(), huge()};
      case 8: return damaged();
      case 9: return {zero(), zero(), zero()};
      default: return source_.triple();
    }
  }

 private:
  // x moved by up to `max_ulps` ulps either way.
  double ulps(double x, int max_ulps) {
    const int n = source_.pick(2 * max_ulps + 1) - max_ulps;
    const double toward =
        n < 0 ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    for (int i = 0; i < (n < 0 ? -n : n); ++i) x = std::nextafter(x, toward);
    return x;
  }
  double quarter() { return (source_.pick(17) - 8) * kHalfPi; }
  AngleTriple nudged(AngleTriple a) {
    if (source_.pick(2) == 0) return a;
    return {ulps(a.heading, 2), ulps(a.pitch, 2), ulps(a.bank, 2)};
  }
  // A pitch whose sine is ±sine (a few ulps off), on either side of π/2 and
  // a few whole turns out.
  double sine_pitch(double sine) {
    double p = std::asin(ulps(sine, 3));
    if (source_.pick(2) == 0) p = kPi - p;
    return ulps(source_.sign() * p + source_.whole_turns(2), 2);
  }
  AngleTriple with_pitch(double pitch) { return {source_.angle(), pitch, source_.angle()}; }
  // cos p cos b = −1e-14 (a few ulps off): the up_down test at its threshold.
  AngleTriple up_at_zero_test() {
    const double pitch = source_.uniform(-1.5, 1.5);
    const double bank = std::acos(-kZeroTolerance / std::cos(pitch));
    return {source_.angle(), pitch, ulps(source_.sign() * bank, 3)};
  }
  // −arcsine(forward.y) = sin⁻¹(sin p) at −1e-14 with up.y negative: the
  // half-turn fix's sign test at its threshold.
  AngleTriple pitch_at_sign_test() {
    return {source_.angle(), ulps(-kZeroTolerance, 3), source_.sign() * source_.uniform(1.6, 3.1)};
  }
  double huge() { return source_.sign() * std::pow(10.0, source_.uniform(3.0, 10.1)); }
  AngleTriple damaged() {
    const double bad[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity(), 1e15, -1e300};
    AngleTriple a = source_.triple();
    double *slot[] = {&a.heading, &a.pitch, &a.bank};
    *slot[source_.pick(3)] = bad[source_.pick(5)];
    return a;
  }
  double zero() {
    switch (source_.pick(3)) {
      case 0: return 0.0;
      case 1: return -0.0;
      default: return source_.quarter_turn();
    }
  }

  AngleSource source_;
};

}  // namespace KeyFrame::test
