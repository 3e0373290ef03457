#include "cli/session/anchor_near_zero.h"

#include <array>
#include <cmath>

#include "cli/session/rotation_snapshot.h"

namespace cli::session {

std::size_t anchor_near_zero(const std::vector<scene::Item *> &items) {
  std::size_t moved_items = 0;
  for (scene::Item *item : items) {
    std::array<scene::Key *, 3> first{};
    bool paired = true;
    for (int channel = 0; channel < 3; ++channel) {
      const scene::Envelope *envelope = item->envelope(kRotationChannelNames[channel]);
      first[channel] = envelope != nullptr ? envelope->first() : nullptr;
      paired = paired && first[channel] != nullptr && first[channel]->time == first[0]->time;
    }
    if (!paired) continue;
    bool moved = false;
    for (scene::Key *key : first) {
      if (!std::isfinite(key->value)) continue;
      const double turns = std::round(key->value / scene::kWholeTurn);
      if (turns == 0.0) continue;
      key->value -= turns * scene::kWholeTurn;
      moved = true;
    }
    if (moved) ++moved_items;
  }
  return moved_items;
}

}  // namespace cli::session
