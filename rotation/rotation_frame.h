#pragma once

#include "rotation/angle_triple.h"

// Rotation conventions used by every file in rotation/.
//
// Units: radians, double precision, no range restriction on input angles.
//
// Axes: the identity frame is right = +x, up = +y, forward = +z. Seen by an
// item looking along +z with +y up, +x is on its right, so the item's axes
// satisfy right × up = forward with the usual cross product.
//
// Angles and order: a triple (h, p, b) is applied heading first, then pitch,
// then bank, each about the item's already-turned axes:
//   heading h turns about up:      positive h turns forward from +z towards +x;
//   pitch p turns about right:     positive p turns forward towards -y (nose down);
//   bank b turns about forward:    positive b turns right towards +up and up
//                                  towards -right.
// As matrices this is R = Ry(h) · Rx(p) · Rz(b), with the right-hand-rule axis
// rotations Ry(h) = [c 0 s; 0 1 0; -s 0 c], Rx(p) = [1 0 0; 0 c -s; 0 s c],
// Rz(b) = [c -s 0; s c 0; 0 0 1]. The frame's vectors are the columns of R:
// right = R·(1,0,0), up = R·(0,1,0), forward = R·(0,0,1). Written as rows,
// (right, up, forward) is the transpose of R, the world-to-item matrix.
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
void normalize(Vector3& v);

// The frame of the triple `angles`: the identity frame turned by heading, pitch
// and bank in that order, each pair of changed vectors re-normalised.
RotationFrame build_frame(const AngleTriple& angles);

}  // namespace KeyFrame
