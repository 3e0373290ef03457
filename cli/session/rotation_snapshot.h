#pragma once

#include <array>
#include <string>
#include <vector>

#include "scene/rotation_channels.h"
#include "scene/scene.h"

namespace cli::session {

// One rotation key as it was when the snapshot was taken.
struct RotationKey {
  double time = 0.0;   // seconds
  double value = 0.0;  // radians
};

// The keys of an item's heading, pitch and bank channels (index 0, 1, 2).
struct ItemRotation {
  std::string name;
  scene::ItemKind kind = scene::ItemKind::Null;
  KeyFrame::RotationOrder order = KeyFrame::RotationOrder::kHPB;
  std::array<std::vector<RotationKey>, 3> channels;
  // The channel modifiers of each channel, by server name (scene::Channel).
  std::array<std::vector<std::string>, 3> modifiers;

  std::size_t key_count() const { return channels[0].size() + channels[1].size() + channels[2].size(); }
};

using scene::kRotationChannelNames;
using scene::kRotationChannelWords;

// Copies the rotation keys of `items`, in that order.
std::vector<ItemRotation> snapshot_rotations(const std::vector<scene::Item *> &items);

}  // namespace cli::session
