#pragma once

#include <cmath>

namespace scene_files {

// Whether a key value that was `before` and is `after` has changed for a
// scene file. The module rewrites keys through sines, cosines and their
// inverses, which gives back an angle it leaves alone to within a few units
// in the last place (-3.3510277 as -3.3510276999999995). Writing those would
// turn untouched 8-digit values into 17-digit ones and bury the real changes,
// so a value within kValueChangeTolerance of its size (and at least that much
// absolutely, for values near 0) counts as unchanged and its text is kept:
// 1e-12 is ten thousand times below the 8 significant digits scene files
// carry, and far above the rounding of a double near a few turns.
constexpr double kValueChangeTolerance = 1e-12;

inline bool value_changed(double before, double after) {
  return !(std::fabs(after - before) <= kValueChangeTolerance * std::fmax(1.0, std::fabs(before)));
}

}  // namespace scene_files
