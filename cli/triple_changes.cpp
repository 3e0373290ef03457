#include "cli/triple_changes.h"

#include <cmath>
#include <map>

#include "cli/rotation_notes.h"
#include "host/value_change.h"

namespace cli {

std::size_t count_key_triples(const ItemRotation &rotation) {
  std::map<double, int> channels_at;
  for (const auto &keys : rotation.channels) {
    for (const RotationKey &key : keys) ++channels_at[key.time];
  }
  std::size_t triples = 0;
  for (const auto &[time, channels] : channels_at) triples += channels == 3 ? 1 : 0;
  return triples;
}

namespace {

bool whole_turns_apart(double a, double b) {
  const double turns = (b - a) / kWholeTurn;
  return std::fabs(turns - std::round(turns)) * kWholeTurn <= kAngleSlack;
}

}  // namespace

TripleChange::Kind TripleChange::kind() const {
  for (int channel = 0; channel < 3; ++channel) {
    if (!before[channel] || !after[channel]) return Kind::added;
  }
  if (!whole_turns_apart(*before[1], *after[1])) return Kind::other_triple;
  if (whole_turns_apart(*before[0], *after[0]) && whole_turns_apart(*before[2], *after[2]))
    return Kind::whole_turns;
  return Kind::gimbal_fold;
}

std::vector<TripleChange> compare_rotations(const ItemRotation &before, const ItemRotation &after) {
  std::map<double, TripleChange> at;
  std::map<double, bool> changed;
  for (int channel = 0; channel < 3; ++channel) {
    for (const RotationKey &key : before.channels[channel]) at[key.time].before[channel] = key.value;
    for (const RotationKey &key : after.channels[channel]) at[key.time].after[channel] = key.value;
  }
  std::vector<TripleChange> changes;
  for (auto &[time, change] : at) {
    change.time = time;
    bool differs = false;
    for (int channel = 0; channel < 3; ++channel) {
      const auto &old_value = change.before[channel];
      const auto &new_value = change.after[channel];
      if (old_value.has_value() != new_value.has_value()) differs = true;
      if (old_value && new_value && host::value_changed(*old_value, *new_value)) differs = true;
    }
    if (differs) changes.push_back(change);
  }
  return changes;
}

}  // namespace cli
