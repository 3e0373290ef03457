#pragma once

// The key kernels and the scan's pass over them as the module had them
// before the read-back was batched and vectorised: one key at a time, frame
// built with normalised plane rotations, the C library's sine, cosine,
// arcsine and arctangent, nearest_turn stepping from its estimate. Kept
// unchanged, outside the module, so that the tests can compare the module's
// results with them and the benchmarks can time both in one run.

#include <cstddef>
#include <cstdint>

#include "bench/reference/reference_nearest_turn.h"
#include "bench/reference/reference_readback.h"
#include "rotation/angle_constants.h"
#include "rotation/angle_triple.h"
#include "rotation/finite_angles.h"

namespace scalar_reference {

namespace kernel_parts {

using KeyFrame::kPi;
using KeyFrame::kSameAngleTolerance;
using KeyFrame::kTwoPi;
using KeyFrame::kZeroTolerance;

inline double magnitude(double v) { return v <= -kZeroTolerance ? -v : v; }

inline bool same_angle(double a, double b) {
  const double d = a - b;
  return d >= -kSameAngleTolerance && d <= kSameAngleTolerance;
}

inline double inner_alternate(double p) { return p <= -kZeroTolerance ? -kPi - p : kPi - p; }
inline double outer_alternate(double p) { return p <= -kZeroTolerance ? kPi - p : -kPi - p; }

inline double one_turn_out(double p, double ref) {
  const double lower = p - kTwoPi;
  const double upper = p + kTwoPi;
  return magnitude(ref - lower) - magnitude(ref - upper) <= kSameAngleTolerance ? lower : upper;
}

}  // namespace kernel_parts

// correct_key's choice, given the key's canonical read-back; `key` holds the
// key (its stored pitch is read) and is overwritten.
inline void correct_from_canonical(std::int32_t mode, const AngleTriple &ref, const AngleTriple &canonical,
                                   AngleTriple &key) {
  using namespace kernel_parts;
  const double stored_pitch = key.pitch;

  const double heading_a = nearest_turn(canonical.heading, ref.heading);
  const double bank_a = nearest_turn(canonical.bank, ref.bank);

  if (mode == 2) {
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

  if (mode == 3) {
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

// align_key's choice, given the key's canonical read-back.
inline void align_from_canonical(const AngleTriple &ref, const AngleTriple &canonical, AngleTriple &key) {
  using namespace kernel_parts;
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

inline void correct_key(std::int32_t mode, const AngleTriple &ref, AngleTriple &key) {
  scalar_reference::correct_from_canonical(mode, ref, scalar_reference::canonical_of(key), key);
}

inline void align_key(const AngleTriple &ref, AngleTriple &key) {
  scalar_reference::align_from_canonical(ref, scalar_reference::canonical_of(key), key);
}

// The scan's transform of one item's values: each placeable triple aligned
// to the one before it as already rewritten; a damaged triple and the one
// after it left as they are.
inline void align_chain(AngleTriple *values, std::size_t count) {
  const AngleTriple *reference = count != 0 && KeyFrame::is_placeable(values[0]) ? &values[0] : nullptr;
  for (std::size_t i = 1; i < count; ++i) {
    AngleTriple &key = values[i];
    if (!KeyFrame::is_placeable(key)) {
      reference = nullptr;
      continue;
    }
    if (reference != nullptr) scalar_reference::align_key(*reference, key);
    reference = &key;
  }
}

}  // namespace scalar_reference
