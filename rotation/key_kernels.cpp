#include "rotation/key_kernels.h"

#include "rotation/align_canonical.h"
#include "rotation/angle_constants.h"
#include "rotation/canonical_readback.h"
#include "rotation/nearest_turn.h"

namespace KeyFrame {

namespace {

using kernel_detail::inner_alternate;
using kernel_detail::magnitude;

inline bool same_angle(double a, double b) {
  const double d = a - b;
  return d >= -kSameAngleTolerance && d <= kSameAngleTolerance;
}

// The pitch of the other Euler solution, on the opposite side of zero.
inline double outer_alternate(double p) { return p <= -kZeroTolerance ? kPi - p : -kPi - p; }

// p moved one whole turn, to the side nearer ref (the lower one when the two
// distances are within kSameAngleTolerance).
inline double one_turn_out(double p, double ref) {
  const double lower = p - kTwoPi;
  const double upper = p + kTwoPi;
  return magnitude(ref - lower) - magnitude(ref - upper) <= kSameAngleTolerance ? lower : upper;
}

AngleTriple canonical_of(const AngleTriple &key) {
  AngleTriple canonical;
  read_back_canonical(&key, &canonical, 1);
  return canonical;
}

}  // namespace

// Both solutions' headings, and their banks, are placed side by side (as in
// align_canonical) and the choice then picks one of each pair.
void correct_canonical(std::int32_t mode, const AngleTriple &ref, const AngleTriple &canonical_in,
                       AngleTriple &key) {
  using kernel_detail::nearest_turn_pair;
  using kernel_detail::Pair;
  const double stored_pitch = key.pitch;
  const AngleTriple canonical = canonical_in;
  const Pair headings =
      nearest_turn_pair(Pair{canonical.heading, canonical.heading + kPi}, Pair{ref.heading, ref.heading});
  const Pair banks = nearest_turn_pair(Pair{canonical.bank, canonical.bank + kPi}, Pair{ref.bank, ref.bank});

  if (mode == kInferiorCorrection) {
    const Pair pitches = nearest_turn_pair(Pair{canonical.pitch, inner_alternate(canonical.pitch)},
                                           Pair{ref.pitch, ref.pitch});
    // A key that already holds the canonical pitch gets the other solution.
    const bool other = same_angle(pitches[0], stored_pitch);
    key.heading = other ? headings[1] : headings[0];
    key.pitch = other ? pitches[1] : pitches[0];
    key.bank = other ? banks[1] : banks[0];
    return;
  }

  if (mode == kSuperiorCorrection) {
    // The outer pitch is taken from the read-back itself, not its placement.
    const double outer_pitch = one_turn_out(canonical.pitch, ref.pitch);
    if (same_angle(outer_pitch, stored_pitch)) {
      const double placed = nearest_turn(outer_alternate(canonical.pitch), ref.pitch);
      key.heading = headings[1];
      key.pitch = one_turn_out(placed, ref.pitch);
      key.bank = banks[1];
    } else {
      key.heading = headings[0];
      key.pitch = outer_pitch;
      key.bank = banks[0];
    }
    return;
  }

  key.heading = headings[0];
  key.pitch = nearest_turn(canonical.pitch, ref.pitch);
  key.bank = banks[0];
}

void correct_key(std::int32_t mode, const AngleTriple &ref, AngleTriple &key) {
  correct_canonical(mode, ref, canonical_of(key), key);
}

void align_key(const AngleTriple &ref, AngleTriple &key) { align_canonical(ref, canonical_of(key), key); }

}  // namespace KeyFrame
