#pragma once

// build_frame and read_angles as the module had them before its read-back
// was vectorised: three plane rotations, each pair of changed vectors
// normalised, then the canonical read-back with the C library's arcsine and
// arctangent. Kept unchanged as the reference the tests and benchmarks
// compare against (see reference_kernels.h). Not part of the module.

#include <cmath>

#include "rotation/angle_constants.h"
#include "rotation/angle_triple.h"
#include "rotation/rotation_frame.h"

namespace scalar_reference {

using KeyFrame::AngleTriple;
using KeyFrame::RotationFrame;
using KeyFrame::Vector3;

inline double clamped_asin(double x) {
  if (x > 1.0) {
    x = 1.0;
  } else if (x < -1.0) {
    x = -1.0;
  }
  return std::asin(x);
}

inline void normalize(Vector3 &v) {
  using KeyFrame::kZeroTolerance;
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

inline void turn_pair(Vector3 &a, Vector3 &b, double c, double s) {
  const Vector3 new_a{a.x * c + b.x * s, a.y * c + b.y * s, a.z * c + b.z * s};
  const Vector3 new_b{b.x * c - a.x * s, b.y * c - a.y * s, b.z * c - a.z * s};
  a = new_a;
  b = new_b;
  scalar_reference::normalize(a);
  scalar_reference::normalize(b);
}

inline RotationFrame build_frame(const AngleTriple &angles) {
  RotationFrame f;
  scalar_reference::turn_pair(f.forward, f.right, std::cos(angles.heading), std::sin(angles.heading));
  scalar_reference::turn_pair(f.forward, f.up, std::cos(angles.pitch), -std::sin(angles.pitch));
  scalar_reference::turn_pair(f.up, f.right, std::cos(angles.bank), -std::sin(angles.bank));
  return f;
}

inline double read_heading(const RotationFrame &frame) {
  using KeyFrame::kBatchGimbalLimit;
  const Vector3 &forward = frame.forward;
  const Vector3 &up = frame.up;
  if (forward.y > kBatchGimbalLimit) return std::atan2(-up.x, -up.z);
  if (forward.y < -kBatchGimbalLimit) return std::atan2(up.x, up.z);
  if (up.y <= -KeyFrame::kZeroTolerance) return -std::atan2(forward.x, -forward.z);
  return std::atan2(forward.x, forward.z);
}

inline AngleTriple read_angles(const RotationFrame &frame) {
  using KeyFrame::kPi;
  using KeyFrame::kZeroTolerance;
  const Vector3 &forward = frame.forward;
  const bool up_down = frame.up.y <= -kZeroTolerance;
  AngleTriple out;
  out.heading = scalar_reference::read_heading(frame);
  double pitch = -clamped_asin(forward.y);
  if (up_down) pitch = pitch <= -kZeroTolerance ? -kPi - pitch : kPi - pitch;
  out.pitch = pitch;
  // As read_angles: cos² p without cancellation, and no bank past the
  // gimbal limit, where the heading holds it.
  const double s = forward.x * forward.x + forward.z * forward.z;
  const bool folded = forward.y > KeyFrame::kBatchGimbalLimit || forward.y < -KeyFrame::kBatchGimbalLimit;
  double bank = 0.0;
  if (s > kZeroTolerance && !folded) {
    bank = clamped_asin(frame.right.y * (1.0 / std::sqrt(s)));
    if (up_down) bank = -bank;
  }
  out.bank = bank;
  return out;
}

// The canonical read-back of one key, as the kernels took it.
inline AngleTriple canonical_of(const AngleTriple &key) {
  return scalar_reference::read_angles(scalar_reference::build_frame(key));
}

}  // namespace scalar_reference
