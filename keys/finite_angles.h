#pragma once

#include <cmath>

#include "rotation/angle_triple.h"

namespace KeyFrame {

// Keys holding a value that is not a finite number are data the module must
// not spread: a triple with such a component is left exactly as it is.
inline bool is_finite(const AngleTriple &a) {
  return std::isfinite(a.heading) && std::isfinite(a.pitch) && std::isfinite(a.bank);
}

}  // namespace KeyFrame
