#pragma once

#include "rotation/angle_constants.h"
#include "rotation/angle_triple.h"
#include "rotation/nearest_turn.h"

namespace KeyFrame {

namespace kernel_detail {

// Distance as the kernels measure it: -v only when v ≤ -1e-14.
inline double magnitude(double v) { return v <= -kZeroTolerance ? -v : v; }

// The pitch of the other Euler solution, on the same side of zero as p.
inline double inner_alternate(double p) { return p <= -kZeroTolerance ? -kPi - p : kPi - p; }

}  // namespace kernel_detail

// align_key after its read-back: `canonical` is the key's canonical read-back
// (read_back_canonical), `ref` the previous key as already rewritten. Of the
// canonical solution and the other one (heading + π, π − pitch, bank + π),
// each angle placed with nearest_turn towards ref's, `key` gets the one whose
// heading and bank lie nearer ref's (the sum of the two distances; the
// canonical one on a tie). `canonical` may be `key` itself; `ref` must not be.
//
// Inline: a scan runs it key after key along a chain, each call waiting for
// the one before, so the call itself would sit on that chain.
inline void align_canonical(const AngleTriple &ref, const AngleTriple &canonical, AngleTriple &key) {
  using kernel_detail::magnitude;
  const double heading = canonical.heading;
  const double pitch = canonical.pitch;
  const double bank = canonical.bank;
  const double heading_a = nearest_turn(heading, ref.heading);
  const double bank_a = nearest_turn(bank, ref.bank);
  const double heading_b = nearest_turn(heading + kPi, ref.heading);
  const double bank_b = nearest_turn(bank + kPi, ref.bank);
  const double cost_a = magnitude(heading_a - ref.heading) + magnitude(bank_a - ref.bank);
  const double cost_b = magnitude(heading_b - ref.heading) + magnitude(bank_b - ref.bank);
  const bool take_b = cost_a > cost_b;
  const double chosen_pitch = take_b ? kernel_detail::inner_alternate(pitch) : pitch;
  key.heading = take_b ? heading_b : heading_a;
  key.pitch = nearest_turn(chosen_pitch, ref.pitch);
  key.bank = take_b ? bank_b : bank_a;
}

}  // namespace KeyFrame
