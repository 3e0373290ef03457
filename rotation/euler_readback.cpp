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
  // ±sin b. Past the gimbal limit read_heading has folded the bank into the
  // heading, so the bank is 0 there: reading it as well would count it twice
  // (1 - forward.y² is still above the zero test for pitches 1.0e-7 to
  // 1.4e-7 rad from ±π/2, and the triple would turn the item by its bank).
  // Where cos² p is within the zero test the bank is 0 too.
  //
  // cos² p is taken as forward.x² + forward.z², equal to 1 - forward.y² for
  // the unit vector but without its cancellation: within a few 1e-7 rad of
  // ±π/2, 1 - forward.y² keeps only a few correct digits, and the bank read
  // through it came back off by up to 1e-4 rad, differently each time the
  // key was read (so a second scan "corrected" the first).
  const double s = forward.x * forward.x + forward.z * forward.z;
  const bool folded = forward.y > kBatchGimbalLimit || forward.y < -kBatchGimbalLimit;
  double bank = 0.0;
  if (s > kZeroTolerance && !folded) {
    bank = clamped_asin(frame.right.y * (1.0 / std::sqrt(s)));
    if (up_down) {
      bank = -bank;
    }
  }
  out.bank = bank;
  return out;
}

}  // namespace KeyFrame
