#pragma once

#include "rotation/angle_triple.h"
#include "rotation/rotation_frame.h"

namespace KeyFrame {

// Heading of a frame, in [-π, π]. At the gimbal limits (|forward.y| above
// kBatchGimbalLimit) heading and bank turn about the same axis and the result
// is the combined angle: heading + bank at pitch -π/2, heading - bank at +π/2.
// Otherwise it is the heading of the solution whose bank lies in [-π/2, π/2].
double read_heading(const RotationFrame &frame);

// The canonical Euler triple of a frame: of the two equivalent solutions, the
// one whose bank lies in [-π/2, π/2]. Heading and pitch lie in [-π, π]; no whole
// turns are added. At the gimbal limits (|forward.y| above kBatchGimbalLimit,
// pitch within about 1.4e-7 rad of ±π/2) the bank is folded into the heading
// and read as 0, so build_frame of the result reproduces `frame` to within
// that pitch's distance from the pole times the bank.
AngleTriple read_angles(const RotationFrame &frame);

}  // namespace KeyFrame
