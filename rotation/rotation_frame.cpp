#include "rotation/rotation_frame.h"

#include <cmath>

namespace KeyFrame {

namespace {

// Turns the pair (a, b) in its plane by the angle with cosine c and sine s:
// a ← a·c + b·s and b ← b·c − a·s, both from the old pair, then normalises a and
// then b. The full vector arithmetic is kept, with no shortcut for components
// known to be zero, so that even the signs of zero components are those of the
// written rotation (atan2 in the read-backs sees them).
inline void turn_pair(Vector3 &a, Vector3 &b, double c, double s) {
  const Vector3 new_a{a.x * c + b.x * s, a.y * c + b.y * s, a.z * c + b.z * s};
  const Vector3 new_b{b.x * c - a.x * s, b.y * c - a.y * s, b.z * c - a.z * s};
  a = new_a;
  b = new_b;
  normalize(a);
  normalize(b);
}

}  // namespace

// Passing -sin for pitch and bank gives bit for bit the written forms
// (x·(-s) = -(x·s) and y + (-z) = y - z exactly in IEEE arithmetic).
// Each angle's sine and cosine are taken just before its turn: computing all
// six first measured slower (they are kept across the calls in memory).
RotationFrame build_frame(const AngleTriple &angles) {
  RotationFrame f;
  // Heading: forward ← forward·cos h + right·sin h; right ← right·cos h − forward·sin h.
  turn_pair(f.forward, f.right, std::cos(angles.heading), std::sin(angles.heading));
  // Pitch: forward ← forward·cos p − up·sin p; up ← up·cos p + forward·sin p.
  turn_pair(f.forward, f.up, std::cos(angles.pitch), -std::sin(angles.pitch));
  // Bank: up ← up·cos b − right·sin b; right ← right·cos b + up·sin b.
  turn_pair(f.up, f.right, std::cos(angles.bank), -std::sin(angles.bank));
  return f;
}

}  // namespace KeyFrame
