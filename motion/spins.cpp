#include "motion/spins.h"

#include <algorithm>
#include <cmath>

#include "motion/orientation.h"
#include "motion/rotation_curves.h"
#include "parallel/for_each_index.h"
#include "scene/rotation_channels.h"

namespace motion {
namespace {

using scene::kQuarterTurn;

int samples_of(double from, double to, double fps) {
  const double wanted = std::ceil((to - from) * fps * kSamplesPerFrame);
  return static_cast<int>(
      std::clamp(wanted, static_cast<double>(kFewestSpanSamples), static_cast<double>(kMostSpanSamples)));
}

}  // namespace

std::vector<Spin> find_spins(const scene::Item &item, double fps, scene::HermiteTangents hermite) {
  const RotationCurves curves(item, hermite);
  const std::vector<double> times = curves.key_times();
  std::vector<Spin> spins;
  if (times.size() < 2) return spins;
  Orientation start = curves.at(times[0]);
  for (std::size_t k = 1; k < times.size(); ++k) {
    const double from = times[k - 1], to = times[k];
    const int samples = samples_of(from, to, fps);
    Orientation previous = start;
    double travel = 0.0;
    for (int i = 1; i <= samples; ++i) {
      const Orientation now = curves.at(i == samples ? to : from + (to - from) * i / samples);
      travel += turn_between(previous, now);
      previous = now;
    }
    const double shortest = turn_between(start, previous);
    if (travel > shortest + kQuarterTurn) spins.push_back(Spin{from, to, travel, shortest});
    start = previous;
  }
  return spins;
}

std::vector<std::vector<Spin>> find_spins(const std::vector<scene::Item *> &items, double fps,
                                          scene::HermiteTangents hermite) {
  // Items share nothing: each is sampled on whichever core is free.
  std::vector<std::vector<Spin>> spins(items.size());
  parallel::for_each_index(items.size(),
                           [&](std::size_t i) { spins[i] = find_spins(*items[i], fps, hermite); });
  return spins;
}

}  // namespace motion
