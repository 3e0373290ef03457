#include "cli/flip_finder.h"

#include <cmath>

namespace cli {

FlipFindings find_flips(const ItemRotation &rotation) {
  FlipFindings findings;
  for (int channel = 0; channel < 3; ++channel) {
    const std::vector<RotationKey> &keys = rotation.channels[channel];
    for (std::size_t i = 0; i < keys.size(); ++i) {
      if (std::fabs(keys[i].value) > kWholeTurn + kAngleSlack) findings.beyond_turn.push_back({channel, keys[i]});
      if (i == 0) continue;
      const double step = keys[i].value - keys[i - 1].value;
      if (std::fabs(step) > std::fabs(findings.largest_step)) findings.largest_step = step;
      if (std::fabs(step) > kQuarterTurn + kAngleSlack) findings.jumps.push_back({channel, keys[i - 1], keys[i]});
    }
  }
  return findings;
}

}  // namespace cli
