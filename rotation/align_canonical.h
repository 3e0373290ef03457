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

// Two doubles handled side by side: the canonical solution's angle and the
// other solution's, placed towards the same reference angle.
using Pair = double __attribute__((vector_size(16)));

// nearest_turn of both lanes, lane by lane, bit for bit: the quick case of
// nearest_turn (nearest_turn.h) for both at once, including its sign of zero
// (x − 0·2π keeps −0 when x > r); when either lane falls outside it, the
// scalar function for both.
inline Pair nearest_turn_pair(Pair x, Pair r) {
  using namespace nearest_turn_detail;
  const Pair zero{};
  const Pair delta = x - r;
  const Pair turns = (-delta * kInvTwoPi + kRoundingShift) - kRoundingShift;
  const Pair placed = x + turns * kTwoPi;
  const Pair distance = placed - r;
  const Pair abs_r = r < zero ? -r : r;
  const Pair reach = kPi - (kQuickMargin + abs_r * kQuickRelativeMargin);
  const auto quick =
      (distance > -reach) & (distance < reach) & (turns > -kQuickTurnLimit) & (turns < kQuickTurnLimit);
  if (quick[0] != 0 && quick[1] != 0) {
    const auto keeps_x = (turns == zero) & (x > r);
    return keeps_x ? x : placed;
  }
  return Pair{nearest_turn(x[0], r[0]), nearest_turn(x[1], r[1])};
}

inline Pair magnitude_pair(Pair v) {
  const Pair zero{};
  return v <= zero - kZeroTolerance ? -v : v;
}

}  // namespace kernel_detail

// align_key after its read-back: `canonical` is the key's canonical read-back
// (read_back_canonical), `ref` the previous key as already rewritten. Of the
// canonical solution and the other one (heading + π, π − pitch, bank + π),
// each angle placed with nearest_turn towards ref's, `key` gets the one whose
// heading and bank lie nearer ref's (the sum of the two distances; the
// canonical one on a tie). `canonical` may be `key` itself; `ref` must not be.
//
// Inline: a scan runs it key after key along a chain, each call waiting for
// the one before. The two solutions' headings are placed side by side, and
// so are their banks, each pair in one vector register.
inline void align_canonical(const AngleTriple &ref, const AngleTriple &canonical, AngleTriple &key) {
  using namespace kernel_detail;
  const double pitch = canonical.pitch;
  const Pair headings =
      nearest_turn_pair(Pair{canonical.heading, canonical.heading + kPi}, Pair{ref.heading, ref.heading});
  const Pair banks = nearest_turn_pair(Pair{canonical.bank, canonical.bank + kPi}, Pair{ref.bank, ref.bank});
  const Pair costs = magnitude_pair(headings - ref.heading) + magnitude_pair(banks - ref.bank);
  const bool take_b = costs[0] > costs[1];
  const double chosen_pitch = take_b ? inner_alternate(pitch) : pitch;
  key.heading = take_b ? headings[1] : headings[0];
  key.pitch = nearest_turn(chosen_pitch, ref.pitch);
  key.bank = take_b ? banks[1] : banks[0];
}

}  // namespace KeyFrame
