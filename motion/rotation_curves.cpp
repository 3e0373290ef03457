#include "motion/rotation_curves.h"

#include <algorithm>

namespace motion {

const std::array<const char *, 3> kRotationChannels = {"Rotation.H", "Rotation.P", "Rotation.B"};

namespace {

const host::Envelope &channel_of(const host::Item &item, int index) {
  static const host::Envelope none;
  const host::Envelope *found = item.envelope(kRotationChannels[index]);
  return found != nullptr ? *found : none;
}

}  // namespace

RotationCurves::RotationCurves(const host::Item &item, host::HermiteTangents hermite)
    : curves_{host::CurveSampler(channel_of(item, 0), hermite),
              host::CurveSampler(channel_of(item, 1), hermite),
              host::CurveSampler(channel_of(item, 2), hermite)},
      roles_(channel_roles(item.rotation_order)) {}

Orientation RotationCurves::at(double time) const {
  return orientation_of(curves_[0].at(time), curves_[1].at(time), curves_[2].at(time), roles_);
}

std::vector<double> RotationCurves::key_times() const {
  std::vector<double> times;
  times.reserve(curves_[0].size() + curves_[1].size() + curves_[2].size());
  for (const host::CurveSampler &curve : curves_) {
    for (const host::CurveKey &key : curve.keys()) times.push_back(key.time);
  }
  std::sort(times.begin(), times.end());
  times.erase(std::unique(times.begin(), times.end()), times.end());
  return times;
}

}  // namespace motion
