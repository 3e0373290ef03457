#pragma once

#include <array>
#include <vector>

#include "motion/channel_roles.h"
#include "motion/orientation.h"
#include "scene/envelope_evaluation.h"
#include "scene/rotation_channels.h"
#include "scene/scene.h"

namespace motion {

// The names of an item's heading, pitch and bank channels (index 0, 1, 2).
using scene::kRotationChannelNames;

// An item's heading, pitch and bank curves as Layout evaluates them, copied
// out of its envelopes (a channel the item lacks is 0 throughout), for
// sampling its orientation, in the item's rotation order, many times, best
// in increasing time.
class RotationCurves {
 public:
  RotationCurves(const scene::Item &item, scene::HermiteTangents hermite);

  Orientation at(double time) const;
  const scene::CurveSampler &channel(int index) const { return curves_[index]; }

  // The times at which any of the three has a key, in order, each once.
  std::vector<double> key_times() const;

 private:
  std::array<scene::CurveSampler, 3> curves_;
  ChannelRoles roles_;  // the item's rotation order, taken once
};

}  // namespace motion
