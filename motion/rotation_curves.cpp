#include "motion/rotation_curves.h"

#include <algorithm>

namespace motion {

namespace {

const scene::Envelope &channel_of(const scene::Item &item, int index) {
  static const scene::Envelope none;
  const scene::Envelope *found = item.envelope(kRotationChannelNames[index]);
  return found != nullptr ? *found : none;
}

}  // namespace

RotationCurves::RotationCurves(const scene::Item &item, scene::HermiteTangents hermite)
    : curves_{scene::CurveSampler(channel_of(item, 0), hermite),
              scene::CurveSampler(channel_of(item, 1), hermite),
              scene::CurveSampler(channel_of(item, 2), hermite)},
      roles_(channel_roles(item.rotation_order)) {}

Orientation RotationCurves::at(double time) const {
  return orientation_of(curves_[0].at(time), curves_[1].at(time), curves_[2].at(time), roles_);
}

std::vector<double> RotationCurves::key_times() const {
  std::vector<double> times;
  times.reserve(curves_[0].size() + curves_[1].size() + curves_[2].size());
  for (const scene::CurveSampler &curve : curves_) {
    for (const scene::CurveKey &key : curve.keys()) times.push_back(key.time);
  }
  std::sort(times.begin(), times.end());
  times.erase(std::unique(times.begin(), times.end()), times.end());
  return times;
}

}  // namespace motion
