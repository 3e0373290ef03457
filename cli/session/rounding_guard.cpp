#include "cli/session/rounding_guard.h"

#include <cmath>
#include <map>

namespace cli::session {

std::size_t restore_rounded_keys(const std::vector<ItemRotation> &before,
                                 const std::vector<scene::Item *> &items) {
  std::size_t restored = 0;
  for (std::size_t i = 0; i < before.size() && i < items.size(); ++i) {
    for (int channel = 0; channel < 3; ++channel) {
      scene::Envelope *envelope = items[i]->envelope(kRotationChannelNames[channel]);
      if (envelope == nullptr) continue;
      std::map<double, double> old_values;
      for (const RotationKey &key : before[i].channels[channel]) old_values.emplace(key.time, key.value);
      for (scene::Key *key = envelope->first(); key != nullptr; key = key->next) {
        const auto old = old_values.find(key->time);
        if (old == old_values.end() || key->value == old->second) continue;
        if (scene::only_module_rounding(old->second, key->value)) {
          key->value = old->second;
          ++restored;
        }
      }
    }
  }
  return restored;
}

}  // namespace cli::session
