#include "cli/flip_finder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace cli {
namespace {

using Triple = std::array<double, 3>;

// `angle` less the whole turns that bring it nearest 0: in [-pi, pi].
double short_way(double angle) { return std::remainder(angle, kWholeTurn); }

std::optional<double> value_at(const std::vector<RotationKey> &keys, double time) {
  const auto key = std::lower_bound(keys.begin(), keys.end(), time,
                                    [](const RotationKey &k, double t) { return k.time < t; });
  if (key == keys.end() || key->time != time) return std::nullopt;
  return key->value;
}

std::optional<Triple> triple_at(const ItemRotation &rotation, double time) {
  Triple triple;
  for (int channel = 0; channel < 3; ++channel) {
    const std::optional<double> value = value_at(rotation.channels[channel], time);
    if (!value) return std::nullopt;
    triple[channel] = *value;
  }
  return triple;
}

// How far `to` lies from `from` by heading and bank, each the short way.
double heading_bank_distance(const Triple &from, const Triple &to) {
  return std::fabs(short_way(to[0] - from[0])) + std::fabs(short_way(to[2] - from[2]));
}

void classify(const ItemRotation &rotation, RotationJump &jump) {
  const double step = jump.to.value - jump.from.value;
  jump.kind = JumpKind::kLargeTurn;
  jump.shortest_step = step;
  const std::optional<Triple> from = triple_at(rotation, jump.from.time);
  const std::optional<Triple> to = triple_at(rotation, jump.to.time);
  if (from && to) {
    const Triple other = {(*to)[0] + kHalfTurn, kHalfTurn - (*to)[1], (*to)[2] + kHalfTurn};
    if (heading_bank_distance(*from, other) < heading_bank_distance(*from, *to) - kAngleSlack) {
      jump.kind = JumpKind::kOtherTripleFlip;
      jump.shortest_step = short_way(other[jump.channel] - (*from)[jump.channel]);
      return;
    }
  }
  if (std::fabs(step) > kHalfTurn + kAngleSlack) {
    jump.kind = JumpKind::kWholeTurnFlip;
    jump.shortest_step = short_way(step);
  }
}

}  // namespace

std::size_t FlipFindings::flip_jump_count() const {
  return static_cast<std::size_t>(
      std::count_if(jumps.begin(), jumps.end(), [](const RotationJump &jump) { return jump.is_flip(); }));
}

FlipFindings find_flips(const ItemRotation &rotation) {
  FlipFindings findings;
  for (int channel = 0; channel < 3; ++channel) {
    const std::vector<RotationKey> &keys = rotation.channels[channel];
    for (std::size_t i = 0; i < keys.size(); ++i) {
      if (std::fabs(keys[i].value) > kWholeTurn + kAngleSlack)
        findings.beyond_turn.push_back({channel, keys[i]});
      if (i == 0) continue;
      const double step = keys[i].value - keys[i - 1].value;
      if (std::fabs(step) > std::fabs(findings.largest_step)) findings.largest_step = step;
      if (std::fabs(step) <= kQuarterTurn + kAngleSlack) continue;
      RotationJump jump;
      jump.channel = channel;
      jump.from = keys[i - 1];
      jump.to = keys[i];
      classify(rotation, jump);
      findings.jumps.push_back(jump);
    }
  }
  return findings;
}

}  // namespace cli
