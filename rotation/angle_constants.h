#pragma once

namespace KeyFrame {

// Angles are radians. The values below are the doubles the rotation code is
// defined with; results are compared against them at the 1e-14 level, so they
// are spelled out rather than derived from a library constant.
constexpr double kPi = 3.141592653589793;
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kThreeHalfPi = 4.71238898038469;
constexpr double kTwoPi = 6.283185307179586;
// 1/(2π), used to count whole turns by a multiplication.
constexpr double kInvTwoPi = 1.0 / kTwoPi;

// Zero test for squared lengths, frame components and signs: a value whose
// magnitude is below this is treated as zero (or as non-negative), so rounding
// noise around an exact zero never picks a branch.
constexpr double kZeroTolerance = 1e-14;

// Gimbal limit of the batch read-back: when |forward.y| exceeds this, pitch is
// ±π/2 to within about 1.4e-7 rad and heading and bank turn about the same axis,
// so the bank is folded into the heading.
constexpr double kBatchGimbalLimit = 0.99999999999999;

// Gimbal limit of the real-time read-back (pitch within about 0.032 rad of ±π/2).
// Beyond it heading and bank are read from `up` as one combined angle.
constexpr double kLiveGimbalLimit = 0.9995;

// Dead band of the real-time read-back, radians. Inside the gimbal limit a
// heading or bank offset smaller than this leaves that channel untouched, so
// only the channel being rotated carries the change. Outside the gimbal limit
// a forward vector whose z component is within it gets the heading ±π/2
// exactly instead of atan2's value.
constexpr double kLiveDeadBand = 0.0005;

// Two pitches, or two placement distances, closer than this are taken as equal
// by the key correction kernels.
constexpr double kSameAngleTolerance = 1e-6;

// The largest magnitude, radians, of a key angle the corrections rewrite or
// place another key's turns towards: 2^31 whole turns, the range of the
// 32-bit turn count. A placed angle is a read-back plus whole turns, summed
// in double precision, so it is off by a few parts in 1e16 of its magnitude:
// at this limit a few 1e-6 rad, beyond it soon whole radians (doubles are 1
// apart from 2^53), which is another orientation.
constexpr double kLargestPlacedAngle = 2147483648.0 * kTwoPi;

}  // namespace KeyFrame
