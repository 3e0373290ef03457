#pragma once

#include <vector>

#include "scene/envelope_evaluation.h"
#include "scene/scene.h"

namespace motion {

// What the viewer sees between an item's rotation keys: its orientation
// sampled along the curves as Layout evaluates them, kSamplesPerFrame
// samples a frame, at least kFewestSpanSamples and at most kMostSpanSamples
// in one span however short or long.
constexpr int kSamplesPerFrame = 8;
constexpr int kFewestSpanSamples = 8;
constexpr int kMostSpanSamples = 1 << 16;

// A span between consecutive rotation keys of an item (keys of any of its
// heading, pitch and bank channels) along which the orientation travels
// more than a quarter turn further than the shortest turn between its ends:
// a spin the viewer sees ("the camera turns 266° on its way to a pose 94°
// away"). A spin keyed on purpose is one too.
struct Spin {
  double from = 0.0, to = 0.0;  // seconds
  double travel = 0.0;          // radians: the sum of the turns between successive samples
  double shortest = 0.0;        // radians: the shortest turn between the orientations at its ends
};

// The spins of `item`'s rotation, in time order; `fps` frames per second.
std::vector<Spin> find_spins(const scene::Item &item, double fps, scene::HermiteTangents hermite);
// Those of each of `items`, in that order.
std::vector<std::vector<Spin>> find_spins(const std::vector<scene::Item *> &items, double fps,
                                          scene::HermiteTangents hermite);

// The spins of a command's items, by item in its order: as the scene was and
// as the command left it.
struct RunSpins {
  std::vector<std::vector<Spin>> before;
  std::vector<std::vector<Spin>> after;
};

}  // namespace motion
