#include "rotation/euler_readback.h"

#include <cmath>

#include "rotation/angle_constants.h"
#include "rotation/clamped_asin.h"

namespace KeyFrame {

// forward = (sin h cos p, -sin p, cos h cos p) and up.y = cos p cos b. When
// up.y is negative, the solution with the bank within a quarter turn has
// cos p < 0, so its heading is atan2(forward.x, forward.z) ± π;
// -atan2(forward.x, -forward.z) is that angle, in [-π, π].
double read_heading(const RotationFrame &frame) {
  const Vector3 &forward = frame.forward;
  const Vector3 &up = frame.up;
  if (forward.y > kBatchGimbalLimit) {
    // Pitch -π/2: up = (-sin(h + b), 0, -cos(h + b)).
    return std::atan2(-up.x, -up.z);
  }
  if (forward.y < -kBatchGimbalLimit) {
    // Pitch +π/2: up = (sin(h - b), 0, cos(h - b)).
    return std::atan2(up.x, up.z);
  }
  if (up.y <= -kZeroTolerance) {
    return -std::atan2(forward.x, -forward.z);
  }
  return std::atan2(forward.x, forward.z);
}

AngleTriple read_angles(const RotationFrame &frame) {
  const Vector3 &forward = frame.forward;
  const bool up_down = frame.up.y <= -kZeroTolerance;

  AngleTriple out;
  out.heading = read_heading(frame);

  // forward.y = -sin p gives the pitch in [-π/2, π/2]; with up.y < 0 the other
  // solution, π - p (kept on the side of p's sign), has the bank within a
  // quarter turn.
  double pitch = -clamped_asin(forward.y);
  if (up_down) {
    pitch = pitch <= -kZeroTolerance ? -kPi - pitch : kPi - pitch;
  }
  out.pitch = pitch;

  // right.y = cos p sin b and 1 - forward.y² = cos² p, so right.y / |cos p| is
  // ±sin b. Where cos² p is within the zero test the bank is already folded
  // into the heading. A unit forward vector keeps s above -kZeroTolerance; a
  // more negative s (a frame that is not orthonormal) is taken as zero too
  // rather than fed to sqrt.
  const double s = 1.0 - forward.y * forward.y;
  double bank = 0.0;
  if (s > kZeroTolerance) {
    bank = clamped_asin(frame.right.y * (1.0 / std::sqrt(s)));
    if (up_down) {
      bank = -bank;
    }
  }
  out.bank = bank;
  return out;
}

}  // namespace KeyFrame
