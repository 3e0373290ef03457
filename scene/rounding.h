#pragma once

#include <cmath>

namespace scene {

// Whether a rotation key value that was `before` and is `after` moved only
// by rounding. Every correction the module makes moves a value by a half or
// a whole turn; its read-back through sines, cosines and their inverses gives
// back the angles it leaves alone to within far less than kRoundingLimit
// (-3.3510277 as -3.3510276999999995; near pitch ±90° the arcsine gives
// 1.5707963 back as 1.5707963009853283), and the orientation of such a key
// moves by no more than its value does. A value that moved only by rounding
// is no change: the program puts it back, the reports do not count it and a
// scene file keeps its text (writing it would turn untouched 8-digit values
// into 17-digit ones and bury the real changes). Radians.
constexpr double kRoundingLimit = 1e-6;

inline bool only_rounded(double before, double after) { return std::fabs(after - before) < kRoundingLimit; }

}  // namespace scene
