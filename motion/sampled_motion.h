#pragma once

#include <array>
#include <vector>

#include "scene/envelope_evaluation.h"
#include "scene/scene.h"

namespace motion {

// An item's rotation sampled for drawing: the three curves as evaluated
// and the orientation's angular speed, over the range its rotation keys
// span.
struct SampledMotion {
  std::vector<double> times;                  // seconds, increasing, every key time among them
  std::array<std::vector<double>, 3> values;  // radians at `times`; empty for a channel without keys
  std::vector<double> speed_times;            // seconds
  std::vector<double> speeds;                 // degrees per frame at `speed_times`
};

// The curves at about kCurveSamples times plus the keys' own, and the
// angular speed measured kSamplesPerFrame times a frame (motion/spins.h)
// and reduced to at most kSpeedBuckets values, each the fastest within its
// bucket, so that a flip's spike survives however long the scene.
SampledMotion sample_motion(const scene::Item &item, double fps, scene::HermiteTangents hermite);

constexpr int kCurveSamples = 1200;
constexpr int kSpeedBuckets = 600;

}  // namespace motion
