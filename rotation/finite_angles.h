#pragma once

#include <cmath>

#include "rotation/angle_constants.h"
#include "rotation/angle_triple.h"

namespace KeyFrame {

// Keys holding a value that is not a finite number are data the module must
// not spread: a triple with such a component is left exactly as it is.
inline bool is_finite(const AngleTriple &a) {
  return std::isfinite(a.heading) && std::isfinite(a.pitch) && std::isfinite(a.bank);
}

// A triple the corrections may rewrite or place another key towards: finite
// and within kLargestPlacedAngle of zero. Farther out no double triple can
// hold the placed orientation, so such a key is left exactly as it is too,
// and never used as a reference.
inline bool is_placeable(const AngleTriple &a) {
  return std::fabs(a.heading) <= kLargestPlacedAngle && std::fabs(a.pitch) <= kLargestPlacedAngle &&
         std::fabs(a.bank) <= kLargestPlacedAngle;  // false for NaN as well
}

}  // namespace KeyFrame
