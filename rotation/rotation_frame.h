#pragma once

#include <cmath>

#include "rotation/angle_constants.h"
#include "rotation/angle_triple.h"

// Rotation conventions used by every file in rotation/.
//
// Units: radians, double precision, no range restriction on input angles.
//
// Axes: +x right, +y up, +z forward, a left-handed system: at the identity an
// item looks along +z with +y above it and +x on its right (with the usual
// component formula, right × up = forward).
//
// Angles and order: a triple (h, p, b) is applied heading first, then pitch,
// then bank, each about the item's already-turned axes:
//   heading h, about up:       positive h turns forward from +z towards +x
//                              (to the right, clockwise seen from above);
//   pitch p, about right:      positive p turns forward towards -y (nose down);
//   bank b, about forward:     positive b turns right towards up (the right
//                              side rises) and up towards -right.
// As matrices this is R = Ry(h) · Rx(p) · Rz(b) acting on column vectors, with
// Ry(h) = [c 0 s; 0 1 0; -s 0 c], Rx(p) = [1 0 0; 0 c -s; 0 s c] and
// Rz(b) = [c -s 0; s c 0; 0 0 1], all proper rotations (determinant 1). The
// frame's vectors are the columns of R: right = R·(1,0,0), up = R·(0,1,0),
// forward = R·(0,0,1). Written as rows, (right, up, forward) is the transpose
// of R, the world-to-item matrix.
//
// Closed form:
//   forward = (sin h cos p, -sin p, cos h cos p)
//   up      = (sin h sin p cos b - cos h sin b, cos p cos b, cos h sin p cos b + sin h sin b)
//   right   = (cos h cos b + sin h sin p sin b, cos p sin b, cos h sin p sin b - sin h cos b)
//
// Two triples per orientation: (h, p, b) and (h + π, π - p, b + π) build the
// same frame, each up to whole turns of 2π. Substituting shows why: sin and cos
// of h + π and b + π change sign, sin(π - p) = sin p and cos(π - p) = -cos p,
// and every term above holds an even number of those sign changes. The
// read-backs pick one of the two; the key kernels choose between them.
//
// Gimbal limits: at p = -π/2 only h + b is defined by the frame, at p = +π/2
// only h - b; the read-backs fold the whole turn into one channel there.

namespace KeyFrame {

struct Vector3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

// The orientation of one item as three unit vectors. A local value of the
// operation that builds it; never stored.
struct RotationFrame {
  Vector3 forward{0.0, 0.0, 1.0};
  Vector3 up{0.0, 1.0, 0.0};
  Vector3 right{1.0, 0.0, 0.0};
};

// Scales v to unit length in place. A vector whose squared components are all
// below kZeroTolerance becomes (0, 0, 0) instead of being blown up from noise.
// Inline: build_frame makes six of these calls.
inline void normalize(Vector3 &v) {
  const double xx = v.x * v.x;
  const double yy = v.y * v.y;
  const double zz = v.z * v.z;
  if (xx > -kZeroTolerance && xx < kZeroTolerance && yy > -kZeroTolerance && yy < kZeroTolerance &&
      zz > -kZeroTolerance && zz < kZeroTolerance) {
    v = Vector3{0.0, 0.0, 0.0};
    return;
  }
  const double inv_length = 1.0 / std::sqrt(xx + yy + zz);
  v.x *= inv_length;
  v.y *= inv_length;
  v.z *= inv_length;
}

// The frame of the triple `angles`: the identity frame turned by heading, pitch
// and bank in that order, each pair of changed vectors re-normalised.
RotationFrame build_frame(const AngleTriple &angles);

}  // namespace KeyFrame
