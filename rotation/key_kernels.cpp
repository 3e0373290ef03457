#include "rotation/key_kernels.h"

#include "rotation/angle_constants.h"
#include "rotation/euler_readback.h"
#include "rotation/nearest_turn.h"
#include "rotation/rotation_frame.h"

namespace KeyFrame {

namespace {

// Distance as the kernels measure it: -v only when v ≤ -1e-14.
inline double magnitude(double v) { return v <= -kZeroTolerance ? -v : v; }

inline bool same_angle(double a, double b) {
  const double d = a - b;
  return d >= -kSameAngleTolerance && d <= kSameAngleTolerance;
}

// The pitch of the other Euler solution, on the same side of zero as p.
inline double inner_alternate(double p) { return p <= -kZeroTolerance ? -kPi - p : kPi - p; }

// The pitch of the other Euler solution, on the opposite side of zero.
inline double outer_alternate(double p) { return p <= -kZeroTolerance ? kPi - p : -kPi - p; }

// p moved one whole turn, to the side nearer ref (the lower one when the two
// distances are within kSameAngleTolerance).
inline double one_turn_out(double p, double ref) {
  const double lower = p - kTwoPi;
  const double upper = p + kTwoPi;
  return magnitude(ref - lower) - magnitude(ref - upper) <= kSameAngleTolerance ? lower : upper;
}

}  // namespace

void correct_key(std::int32_t mode, const AngleTriple &ref, AngleTriple &key) {
  const double stored_pitch = key.pitch;
  const AngleTriple canonical = read_angles(build_frame(key));

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

void align_key(const AngleTriple &ref, AngleTriple &key) {
  const AngleTriple canonical = read_angles(build_frame(key));

  const double heading_a = nearest_turn(canonical.heading, ref.heading);
  const double bank_a = nearest_turn(canonical.bank, ref.bank);
  const double heading_b = nearest_turn(canonical.heading + kPi, ref.heading);
  const double bank_b = nearest_turn(canonical.bank + kPi, ref.bank);

  const double cost_a = magnitude(heading_a - ref.heading) + magnitude(bank_a - ref.bank);
  const double cost_b = magnitude(heading_b - ref.heading) + magnitude(bank_b - ref.bank);
  if (cost_a > cost_b) {
    key.heading = heading_b;
    key.pitch = nearest_turn(inner_alternate(canonical.pitch), ref.pitch);
    key.bank = bank_b;
  } else {
    key.heading = heading_a;
    key.pitch = nearest_turn(canonical.pitch, ref.pitch);
    key.bank = bank_a;
  }
}

}  // namespace KeyFrame
