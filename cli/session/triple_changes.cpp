#include "cli/session/triple_changes.h"

#include <cmath>

#include "motion/channel_roles.h"
#include "parallel/for_each_index.h"
#include "scene/rotation_channels.h"
#include "scene/rounding.h"

namespace cli::session {

namespace {

// Walks the keys of several time-ordered channels together, time by time:
// `visit(time, at)` sees, per channel, the key at that time or null. Keys of
// a scene are many; this holds nothing but a position per channel.
template <std::size_t N, typename Visit>
void walk_times(const std::array<const std::vector<RotationKey> *, N> &channels, Visit visit) {
  std::array<std::size_t, N> next{};
  for (;;) {
    double time = 0.0;
    bool any = false;
    for (std::size_t c = 0; c < N; ++c) {
      if (next[c] == channels[c]->size()) continue;
      const double t = (*channels[c])[next[c]].time;
      if (!any || t < time) time = t;
      any = true;
    }
    if (!any) return;
    std::array<const RotationKey *, N> at{};
    for (std::size_t c = 0; c < N; ++c) {
      if (next[c] < channels[c]->size() && (*channels[c])[next[c]].time == time)
        at[c] = &(*channels[c])[next[c]++];
    }
    visit(time, at);
  }
}

}  // namespace

std::size_t count_key_triples(const ItemRotation &rotation) {
  std::size_t triples = 0;
  walk_times<3>({&rotation.channels[0], &rotation.channels[1], &rotation.channels[2]},
                [&](double, const std::array<const RotationKey *, 3> &at) {
                  triples += at[0] != nullptr && at[1] != nullptr && at[2] != nullptr ? 1 : 0;
                });
  return triples;
}

namespace {

bool whole_turns_apart(double a, double b) {
  const double turns = (b - a) / scene::kWholeTurn;
  return std::fabs(turns - std::round(turns)) * scene::kWholeTurn <= scene::kAngleSlack;
}

}  // namespace

bool reflects_middle(const TripleChange &change) {
  for (int channel = 0; channel < 3; ++channel) {
    if (!change.before[channel] || !change.after[channel]) return false;
  }
  const motion::ChannelRoles roles = motion::channel_roles(change.order);
  return whole_turns_apart(*change.before[roles.first] + scene::kHalfTurn, *change.after[roles.first]) &&
         whole_turns_apart(scene::kHalfTurn - *change.before[roles.middle], *change.after[roles.middle]) &&
         whole_turns_apart(*change.before[roles.last] + scene::kHalfTurn, *change.after[roles.last]);
}

TripleChange::Kind TripleChange::kind() const {
  for (int channel = 0; channel < 3; ++channel) {
    if (!before[channel] || !after[channel]) return Kind::added;
  }
  const motion::ChannelRoles roles = motion::channel_roles(order);
  if (!whole_turns_apart(*before[roles.middle], *after[roles.middle])) return Kind::other_triple;
  if (whole_turns_apart(*before[roles.first], *after[roles.first]) &&
      whole_turns_apart(*before[roles.last], *after[roles.last]))
    return Kind::whole_turns;
  return Kind::gimbal_fold;
}

std::vector<TripleChange> compare_rotations(const ItemRotation &before, const ItemRotation &after) {
  std::vector<TripleChange> changes;
  walk_times<6>({&before.channels[0], &before.channels[1], &before.channels[2], &after.channels[0],
                 &after.channels[1], &after.channels[2]},
                [&](double time, const std::array<const RotationKey *, 6> &at) {
                  bool differs = false;
                  for (int channel = 0; channel < 3; ++channel) {
                    const RotationKey *old_key = at[channel];
                    const RotationKey *new_key = at[3 + channel];
                    if ((old_key == nullptr) != (new_key == nullptr)) differs = true;
                    if (old_key != nullptr && new_key != nullptr &&
                        !scene::only_rounded(old_key->value, new_key->value))
                      differs = true;
                  }
                  if (!differs) return;
                  TripleChange change;
                  change.time = time;
                  change.order = before.order;
                  for (int channel = 0; channel < 3; ++channel) {
                    if (at[channel] != nullptr) change.before[channel] = at[channel]->value;
                    if (at[3 + channel] != nullptr) change.after[channel] = at[3 + channel]->value;
                  }
                  changes.push_back(change);
                });
  return changes;
}

void RotationRun::compare() {
  // Items share nothing: each is compared on whichever core is free.
  changes.assign(std::min(before.size(), after.size()), {});
  parallel::for_each_index(changes.size(),
                           [&](std::size_t i) { changes[i] = compare_rotations(before[i], after[i]); });
}

RotationRun RotationRun::changed_items() const {
  RotationRun changed;
  for (std::size_t i = 0; i < changes.size(); ++i) {
    if (changes[i].empty()) continue;
    changed.before.push_back(before[i]);
    changed.after.push_back(after[i]);
    changed.changes.push_back(changes[i]);
  }
  return changed;
}

}  // namespace cli::session
