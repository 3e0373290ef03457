#include "cli/report/rotation_notes.h"

#include <cmath>

namespace cli::report {

RotationNotes note_rotation(const session::ItemRotation &rotation) {
  RotationNotes notes;
  for (int channel = 0; channel < 3; ++channel) {
    const std::vector<session::RotationKey> &keys = rotation.channels[channel];
    for (std::size_t i = 0; i < keys.size(); ++i) {
      if (std::fabs(keys[i].value) > kWholeTurn + kAngleSlack)
        notes.beyond_turn.push_back({channel, keys[i]});
      if (i == 0) continue;
      const RotationStep step{channel, keys[i - 1], keys[i]};
      if (std::fabs(step.size()) > std::fabs(notes.largest_step) + kTieSlack)
        notes.largest_step = step.size();
      if (std::fabs(step.size()) > kQuarterTurn + kAngleSlack) notes.large_steps.push_back(step);
    }
  }
  return notes;
}

}  // namespace cli::report
