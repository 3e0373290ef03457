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

// How closely a key rewritten through a frame read-back can match the
// orientation of `a`. Away from a quarter-turn pitch the read-back is good to
// 1e-9. The bank is asin(right.y / sqrt(1 - forward.y^2)) and 1 - forward.y^2
// = cos^2 p carries an absolute rounding error of a few 1e-16, so the bank
// error grows like 1e-16 / (cos^2 p |cos b|), capped near 4e-8 / |cos p|
// where the bank is near a quarter turn and the arcsine is flat. Within the
// gimbal limit (|sin p| > 0.99999999999999) the bank is folded into the
// heading, which costs the frame about |cos p|.
inline double orientation_tolerance(const KeyFrame::AngleTriple &a) {
  constexpr double kBase = 1e-9;
  constexpr double kGimbalLimit = 0.99999999999999;
  const double cos_p = std::fabs(std::cos(a.pitch));
  const double cos_b = std::fabs(std::cos(a.bank));
  if (std::fabs(std::sin(a.pitch)) > kGimbalLimit) return kBase + 2.0 * cos_p;
  return kBase + std::fmin(1e-15 / (cos_p * cos_p * cos_b), 4e-8 / cos_p);
}

}  // namespace testing_support
