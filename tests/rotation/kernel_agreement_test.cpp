// The module's key kernels against today's scalar kernels (bench/reference/):
// after the read-back, the choices are theirs bit for bit; over whole keys
// the results agree except where the read-backs differ (rounding,
// ill-conditioning, a branch on the other side of its threshold) or where
// such a difference tips one of the kernels' own decisions; every such case
// is the same orientation, and the sweep prints how often each occurs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

#include "bench/reference/reference_kernels.h"
#include "boundary_triples.h"
#include "readback_spread.h"
#include "rotation/align_canonical.h"
#include "rotation/key_kernels.h"
#include "rotation/nearest_turn.h"
#include "rotation_test_support.h"
#include "support/orientation.h"
#include "sweep_size.h"

namespace KeyFrame {
namespace {

constexpr int kAlign = -1;  // stands for align_key below
constexpr std::int32_t kModes[] = {kAlign, 1, kInferiorCorrection, kSuperiorCorrection};

bool same_bits(const AngleTriple &a, const AngleTriple &b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// References aimed at the kernels' own decisions about `canonical`: random
// ones; whole turns plus half a turn (nearest_turn's ties); a quarter turn off
// in heading and bank (the two solutions' costs tie); huge magnitudes up to
// past the 32-bit turn count; the canonical triple itself within 1e-14 (the
// magnitude rule); and a pitch 5e-7 above it (the superior mode's
// one-turn-out tie).
class ReferenceSource {
 public:
  explicit ReferenceSource(std::uint64_t seed) : source_(seed) {}

  AngleTriple near(const AngleTriple &c) {
    switch (source_.pick(7)) {
      case 0: return {tie(c.heading), tie(c.pitch), tie(c.bank)};
      case 1:
        return {ulps(c.heading + source_.sign() * kHalfPi) + turns(), source_.angle(),
                ulps(c.bank + source_.sign() * kHalfPi) + turns()};
      case 2: return {huge(), huge(), huge()};
      case 3:
        return {c.heading + source_.uniform(-3e-14, 3e-14), c.pitch + source_.uniform(-3e-14, 3e-14),
                c.bank + source_.uniform(-3e-14, 3e-14)};
      case 4: return {source_.angle(), ulps(c.pitch + 5e-7), source_.angle()};
      default: return source_.triple();
    }
  }

  // A stored pitch at the kernels' pitch tests: 1e-6 from the canonical
  // pitch placed near the reference, or from it moved one turn out, or
  // anything.
  double stored_pitch(const AngleTriple &c, const AngleTriple &ref) {
    const double off = source_.sign() * ulps(kSameAngleTolerance);
    switch (source_.pick(4)) {
      case 0: return nearest_turn(c.pitch, ref.pitch) + off;
      case 1: return c.pitch + source_.sign() * kTwoPi + off;
      case 2: return nearest_turn(c.pitch, ref.pitch);
      default: return source_.angle();
    }
  }

  test::AngleSource &source() { return source_; }

 private:
  double ulps(double x) {
    for (int n = source_.pick(7) - 3; n != 0; n += n > 0 ? -1 : 1)
      x = std::nextafter(x, n > 0 ? 1e300 : -1e300);
    return x;
  }
  double turns() { return (source_.pick(2001) - 1000) * kTwoPi; }
  double tie(double x) { return ulps(x + source_.sign() * kPi + turns()); }
  double huge() { return source_.sign() * std::pow(10.0, source_.uniform(2.0, 12.5)); }

  test::AngleSource source_;
};

// Given the same canonical read-back, the module's choice is the scalar
// kernels' choice, bit for bit, in every mode.
TEST(KernelAgreement, ChoicesAfterTheReadBackAreTheReferencesBitForBit) {
  test::BoundaryTriples keys(41);
  ReferenceSource refs(42);
  const int cases = test::sweep_cases(1000000);
  for (int i = 0; i < cases; ++i) {
    const AngleTriple canonical =
        scalar_reference::canonical_of(refs.source().pick(2) ? keys.next() : refs.source().triple());
    const AngleTriple ref = refs.near(canonical);
    const AngleTriple stored{refs.source().angle(), refs.stored_pitch(canonical, ref), refs.source().angle()};
    AngleTriple ours = stored, theirs = stored;
    align_canonical(ref, canonical, ours);
    scalar_reference::align_from_canonical(ref, canonical, theirs);
    ASSERT_TRUE(same_bits(ours, theirs))
        << "align: canonical " << canonical << " ref " << ref << ": " << ours << " vs " << theirs;
    AngleTriple in_place = canonical;  // the scan aligns a key that holds its own read-back
    align_canonical(ref, in_place, in_place);
    ASSERT_TRUE(same_bits(in_place, theirs)) << "align in place: canonical " << canonical << " ref " << ref;
    for (const std::int32_t mode : {0, 1, kInferiorCorrection, kSuperiorCorrection, 7}) {
      ours = stored;
      theirs = stored;
      correct_canonical(mode, ref, canonical, ours);
      scalar_reference::correct_from_canonical(mode, ref, canonical, theirs);
      ASSERT_TRUE(same_bits(ours, theirs))
          << "mode " << mode << ": canonical " << canonical << " ref " << ref << " stored pitch "
          << stored.pitch << ": " << ours << " vs " << theirs;
    }
  }
}

AngleTriple run_ours(std::int32_t mode, const AngleTriple &ref, AngleTriple key) {
  if (mode == kAlign) {
    align_key(ref, key);
  } else {
    correct_key(mode, ref, key);
  }
  return key;
}

AngleTriple run_reference(std::int32_t mode, const AngleTriple &ref, AngleTriple key) {
  if (mode == kAlign) {
    scalar_reference::align_key(ref, key);
  } else {
    scalar_reference::correct_key(mode, ref, key);
  }
  return key;
}

struct Tally {
  long runs = 0;
  long agree = 0;            // every written angle within angle_agreement
  long ill_conditioned = 0;  // beyond it by no more than the read-back's spread
  long tipped = 0;           // a decision tipped by the read-backs' difference, same orientation
  long narrow_band = 0;      // at an edge of read_angles' narrow band
  double largest_tipped_frame = 0.0;
};

bool close(double a, double b, double slack) {
  return (std::isnan(a) && std::isnan(b)) || std::fabs(a - b) <= slack;
}

void compare(std::int32_t mode, const AngleTriple &key, const AngleTriple &ref, Tally &t) {
  ++t.runs;
  const AngleTriple ours = run_ours(mode, ref, key);
  const AngleTriple theirs = run_reference(mode, ref, key);
  const double agree_h = test::angle_agreement(theirs.heading);
  const double agree_p = test::angle_agreement(theirs.pitch);
  const double agree_b = test::angle_agreement(theirs.bank);
  if (close(ours.heading, theirs.heading, agree_h) && close(ours.pitch, theirs.pitch, agree_p) &&
      close(ours.bank, theirs.bank, agree_b)) {
    ++t.agree;
    return;
  }
  const test::ReadBackSpread spread = test::readback_spread(key);
  if (close(ours.heading, theirs.heading, agree_h + spread.angles.heading) &&
      close(ours.pitch, theirs.pitch, agree_p + spread.angles.pitch) &&
      close(ours.bank, theirs.bank, agree_b + spread.angles.bank)) {
    ++t.ill_conditioned;
    return;
  }
  if (spread.at_narrow_band) {
    ++t.narrow_band;
    return;
  }
  // The choice after the read-back is the reference's bit for bit (above), so
  // a larger difference is a decision of the kernel, or of the read-back,
  // taken the other way: both results must describe the key's orientation.
  ++t.tipped;
  const double frame = testing_support::frame_distance(ours, theirs);
  t.largest_tipped_frame = std::max(t.largest_tipped_frame, frame);
  const double reach = 1e-12 +
                       2 * std::max({spread.angles.heading, spread.angles.pitch, spread.angles.bank}) +
                       4 * std::max({agree_h, agree_p, agree_b});
  ASSERT_LE(frame, reach) << "mode " << mode << " key " << key << " ref " << ref << ": " << ours << " vs "
                          << theirs;
}

void print(const char *inputs, const Tally &t) {
  const double n = static_cast<double>(t.runs);
  std::printf(
      "[ sweep    ] kernels, %ld %s runs: agree %ld; ill-conditioned read-back %ld (%.2e); decision tipped, "
      "same orientation %ld (%.2e, largest frame difference %.2e); narrow-band edge %ld (%.2e)\n",
      t.runs, inputs, t.agree, t.ill_conditioned, t.ill_conditioned / n, t.tipped, t.tipped / n,
      t.largest_tipped_frame, t.narrow_band, t.narrow_band / n);
}

template <typename NextKey>
void sweep(const char *inputs, int total, NextKey next_key, ReferenceSource &refs) {
  Tally t;
  for (int i = 0; i < total; ++i) {
    const AngleTriple key = next_key();
    const AngleTriple canonical = scalar_reference::canonical_of(key);
    const AngleTriple ref = refs.source().pick(2) ? refs.near(canonical) : refs.source().triple();
    for (const std::int32_t mode : kModes) {
      compare(mode, key, ref, t);
      if (testing::Test::HasFatalFailure()) return;
    }
  }
  print(inputs, t);
}

TEST(KernelAgreement, AgreeWithTheScalarKernelsOnRandomKeys) {
  ReferenceSource refs(43);
  test::AngleSource &source = refs.source();
  sweep(
      "uniform", test::sweep_cases(250000),
      [&] {
        return AngleTriple{source.uniform(-2 * kTwoPi, 2 * kTwoPi), source.uniform(-2 * kTwoPi, 2 * kTwoPi),
                           source.uniform(-2 * kTwoPi, 2 * kTwoPi)};
      },
      refs);
}

TEST(KernelAgreement, AgreeWithTheScalarKernelsAtTheThresholds) {
  ReferenceSource refs(44);
  test::BoundaryTriples keys(45);
  sweep(
      "boundary", test::sweep_cases(250000), [&] { return keys.next(); }, refs);
}

}  // namespace
}  // namespace KeyFrame
