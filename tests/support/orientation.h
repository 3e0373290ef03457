#pragma once

#include <array>
#include <cmath>

#include "rotation/angle_triple.h"

namespace testing_support {

// The orientation of a heading/pitch/bank triple as the rows forward, up,
// right, in closed form, written independently of the module's frame code.
// Two triples describe the same orientation exactly when these agree.
using Frame = std::array<std::array<double, 3>, 3>;

inline Frame closed_form_frame(const KeyFrame::AngleTriple &a) {
  const double sh = std::sin(a.heading), ch = std::cos(a.heading);
  const double sp = std::sin(a.pitch), cp = std::cos(a.pitch);
  const double sb = std::sin(a.bank), cb = std::cos(a.bank);
  return Frame{{{sh * cp, -sp, ch * cp},
                {sh * sp * cb - ch * sb, cp * cb, ch * sp * cb + sh * sb},
                {ch * cb + sh * sp * sb, cp * sb, ch * sp * sb - sh * cb}}};
}

inline double frame_distance(const KeyFrame::AngleTriple &a, const KeyFrame::AngleTriple &b) {
  const Frame fa = closed_form_frame(a), fb = closed_form_frame(b);
  double worst = 0.0;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) worst = std::fmax(worst, std::fabs(fa[r][c] - fb[r][c]));
  return worst;
}

// Frame tolerance: 1e-9, loosened to 1e-7 where the pitch or the bank lies
// within 1e-4 of a quarter turn, where an arcsine read-back loses precision.
inline double orientation_tolerance(const KeyFrame::AngleTriple &a) {
  const double kQuarter = 1.5707963267948966;
  auto near_quarter = [&](double x) {
    const double r = std::remainder(x, 2 * 3.141592653589793);
    return std::fabs(std::fabs(r) - kQuarter) < 1e-4;
  };
  return near_quarter(a.pitch) || near_quarter(a.bank) ? 1e-7 : 1e-9;
}

}  // namespace testing_support
