#include "motion/sampled_motion.h"

#include <algorithm>
#include <cmath>

#include "motion/angular_speed.h"
#include "motion/rotation_curves.h"
#include "motion/spins.h"

namespace motion {

SampledMotion sample_motion(const scene::Item &item, double fps, scene::HermiteTangents hermite) {
  SampledMotion sampled;
  const RotationCurves curves(item, hermite);
  const std::vector<double> keys = curves.key_times();
  if (keys.empty()) return sampled;
  const double from = keys.front(), to = keys.back();
  sampled.times = keys;
  if (to > from) {
    for (int i = 1; i < kCurveSamples; ++i) sampled.times.push_back(from + (to - from) * i / kCurveSamples);
    std::sort(sampled.times.begin(), sampled.times.end());
    sampled.times.erase(std::unique(sampled.times.begin(), sampled.times.end()), sampled.times.end());
  }
  for (int c = 0; c < 3; ++c) {
    const scene::CurveSampler &curve = curves.channel(c);
    if (curve.size() == 0) continue;
    sampled.values[c].reserve(sampled.times.size());
    for (const double time : sampled.times) sampled.values[c].push_back(curve.at(time));
  }

  const std::vector<SpeedSample> speeds = angular_speed(item, fps, hermite, from, to, kSamplesPerFrame);
  if (speeds.empty()) return sampled;
  const std::size_t per_bucket = (speeds.size() + kSpeedBuckets - 1) / kSpeedBuckets;
  constexpr double kDegreesPerRadian = 57.29577951308232;
  for (std::size_t start = 0; start < speeds.size(); start += per_bucket) {
    const std::size_t end = std::min(speeds.size(), start + per_bucket);
    std::size_t fastest = start;
    for (std::size_t i = start; i < end; ++i) {
      if (speeds[i].speed > speeds[fastest].speed) fastest = i;
    }
    sampled.speed_times.push_back(speeds[fastest].time);
    sampled.speeds.push_back(speeds[fastest].speed * kDegreesPerRadian);
  }
  return sampled;
}

}  // namespace motion
