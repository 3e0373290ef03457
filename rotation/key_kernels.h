#pragma once

#include <cstdint>

#include "rotation/angle_triple.h"

namespace KeyFrame {

// The correction modes correct_key acts on; the same values as the working
// set's inferior and superior run modes.
constexpr std::int32_t kInferiorCorrection = 2;
constexpr std::int32_t kSuperiorCorrection = 3;

// Both kernels read the key's orientation back into its canonical solution
// (read_back_canonical, read_angles of its frame: bank within a quarter turn)
// and form the other Euler solution
// beside it, heading + π, π − pitch, bank + π; every angle of both is placed
// with nearest_turn towards the matching angle of `ref`. They then overwrite
// `key` with one of them. `ref` is only read.

// The batch kernel. mode 2 (inferior): a key whose pitch already is the
// canonical one, placed near ref, gets the other solution; any other key gets
// the canonical solution. mode 3 (superior): the same choice with the pitch one
// whole turn further out, towards ref's pitch (the lower side when both sides
// are within 1e-6 as near). Any other mode writes the canonical solution.
void correct_key(std::int32_t mode, const AngleTriple &ref, AngleTriple &key);

// The scan kernel: of the two placed solutions, the one whose heading and bank
// lie nearer ref's (sum of the two distances; the canonical one on a tie). The
// pitch takes no part in the choice.
void align_key(const AngleTriple &ref, AngleTriple &key);

// correct_key after its read-back, for passes that read many keys back at
// once (read_back_canonical): `canonical` is the key's canonical read-back;
// `key` still holds the key's own triple (its stored pitch is compared) and
// is overwritten; `canonical` must not be `key` itself. The scan's counterpart is
// align_canonical (align_canonical.h).
void correct_canonical(std::int32_t mode, const AngleTriple &ref, const AngleTriple &canonical,
                       AngleTriple &key);

}  // namespace KeyFrame
