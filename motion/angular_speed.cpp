#include "motion/angular_speed.h"

#include <algorithm>
#include <cmath>

#include "motion/orientation.h"
#include "motion/rotation_curves.h"

namespace motion {

std::vector<SpeedSample> angular_speed(const scene::Item &item, double fps, scene::HermiteTangents hermite,
                                       double from, double to, int samples_per_frame) {
  std::vector<SpeedSample> speeds;
  if (!(to > from) || !(fps > 0.0) || samples_per_frame < 1) return speeds;
  const RotationCurves curves(item, hermite);
  const double wanted = std::ceil((to - from) * fps * samples_per_frame);
  const int samples = static_cast<int>(std::clamp(wanted, 1.0, static_cast<double>(kMostSpeedSamples)));
  const double step = (to - from) / samples;
  speeds.reserve(static_cast<std::size_t>(samples));
  Orientation previous = curves.at(from);
  for (int i = 1; i <= samples; ++i) {
    const double time = i == samples ? to : from + step * i;
    const Orientation now = curves.at(time);
    speeds.push_back(SpeedSample{time - step / 2, turn_between(previous, now) / (step * fps)});
    previous = now;
  }
  return speeds;
}

}  // namespace motion
