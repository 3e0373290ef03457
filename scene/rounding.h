#pragma once

#include <cmath>

namespace scene {

// When a key value that was `before` and is `after` moved only by rounding,
// so that it is no change: the program puts it back, the reports do not
// count it and a scene file keeps its text (writing it would turn untouched
// 8-digit values into 17-digit ones and bury the real changes). The rule has
// one reason and two reaches:
// - any value: within kValueRounding of its size (at least that much
//   absolutely, for values near 0). Arithmetic that leaves a value as it was
//   gives it back to within a few units in the last place (-3.3510277 as
//   -3.3510276999999995); 1e-12 is ten thousand times below the 8 significant
//   digits scene files carry, and far above the rounding of a double near a
//   few turns. A change of 1e-10 is a change.
// - a rotation key the module wrote: within kModuleRounding radians. Every
//   correction the module makes moves a value by a half or a whole turn, and
//   its read-back through sines, cosines and their inverses gives an angle it
//   leaves alone back to within far less (near pitch ±90° the arcsine gives
//   1.5707963 back as 1.5707963009853283); the orientation of such a key
//   moves by no more than its value does. The program puts those values back
//   after each run of the module, before anything compares or writes them.
constexpr double kValueRounding = 1e-12;
constexpr double kModuleRounding = 1e-6;

inline bool only_rounded(double before, double after) {
  return std::fabs(after - before) <= kValueRounding * std::fmax(1.0, std::fabs(before));
}

inline bool only_module_rounding(double before, double after) {
  return std::fabs(after - before) < kModuleRounding;
}

}  // namespace scene
