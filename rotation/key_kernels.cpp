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

void correct_canonical(std::int32_t mode, const AngleTriple &ref, const AngleTriple &canonical_in,
                       AngleTriple &key) {
  const double stored_pitch = key.pitch;
  const AngleTriple canonical = canonical_in;

  const double heading_a = nearest_turn(canonical.heading, ref.heading);
  const double bank_a = nearest_turn(canonical.bank, ref.bank);

  if (mode == kInferiorCorrection) {
    const double pitch_a = nearest_turn(canonical.pitch, ref.pitch);
    if (same_angle(pitch_a, stored_pitch)) {
      key.heading = nearest_turn(canonical.heading + kPi, ref.heading);
      key.pitch = nearest_turn(inner_alternate(canonical.pitch), ref.pitch);
      key.bank = nearest_turn(canonical.bank + kPi, ref.bank);
    } else {
      key.heading = heading_a;
      key.pitch = pitch_a;
      key.bank = bank_a;
    }
    return;
  }

  if (mode == kSuperiorCorrection) {
    // The outer pitch is taken from the read-back itself, not its placement.
    const double outer_pitch = one_turn_out(canonical.pitch, ref.pitch);
    if (same_angle(outer_pitch, stored_pitch)) {
      const double placed = nearest_turn(outer_alternate(canonical.pitch), ref.pitch);
      key.heading = nearest_turn(canonical.heading + kPi, ref.heading);
      key.pitch = one_turn_out(placed, ref.pitch);
      key.bank = nearest_turn(canonical.bank + kPi, ref.bank);
    } else {
      key.heading = heading_a;
      key.pitch = outer_pitch;
      key.bank = bank_a;
    }
    return;
  }

  key.heading = heading_a;
  key.pitch = nearest_turn(canonical.pitch, ref.pitch);
  key.bank = bank_a;
}

void correct_key(std::int32_t mode, const AngleTriple &ref, AngleTriple &key) {
  correct_canonical(mode, ref, canonical_of(key), key);
}

void align_key(const AngleTriple &ref, AngleTriple &key) { align_canonical(ref, canonical_of(key), key); }

}  // namespace KeyFrame
