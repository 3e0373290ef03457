#pragma once

#include <vector>

#include "scene/envelope_evaluation.h"
#include "scene/scene.h"

namespace motion {

// The orientation's angular speed along an item's rotation: one value per
// interval between successive samples, at the interval's middle. A flip
// shows as a spike.
struct SpeedSample {
  double time = 0.0;   // seconds
  double speed = 0.0;  // radians per frame
};

// At `samples_per_frame` samples a frame from `from` to `to` (seconds), at
// most kMostSpeedSamples in all (fewer a frame over a long range).
std::vector<SpeedSample> angular_speed(const scene::Item &item, double fps, scene::HermiteTangents hermite,
                                       double from, double to, int samples_per_frame);

constexpr int kMostSpeedSamples = 200000;

}  // namespace motion
