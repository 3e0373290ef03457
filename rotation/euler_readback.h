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
// turns are added. At the gimbal limits the bank is folded into the heading and
// read as 0.
//
// build_frame of the result reproduces `frame` except in a narrow band: where
// |forward.y| exceeds kBatchGimbalLimit while 1 - forward.y² still exceeds
// kZeroTolerance (pitch about 1.0e-7 to 1.4e-7 rad from ±π/2) the heading
// already holds the bank and the bank is read as well.
AngleTriple read_angles(const RotationFrame &frame);

}  // namespace KeyFrame
