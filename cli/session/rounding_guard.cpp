#include "cli/session/rounding_guard.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "parallel/for_each_index.h"

namespace cli::session {

std::size_t restore_rounded_keys(const std::vector<ItemRotation> &before,
                                 const std::vector<scene::Item *> &items) {
  std::atomic<std::size_t> restored{0};
  // Items share nothing: each is put right on whichever core is free.
  parallel::for_each_index(std::min(before.size(), items.size()), [&](std::size_t i) {
    std::size_t here = 0;
    for (int channel = 0; channel < 3; ++channel) {
      scene::Envelope *envelope = items[i]->envelope(kRotationChannelNames[channel]);
      if (envelope == nullptr) continue;
      // Both lists are in time order, one key a time: a walk along both
      // pairs each key with the key that was at its time.
      const std::vector<RotationKey> &old_keys = before[i].channels[channel];
      auto old = old_keys.begin();
      for (scene::Key *key = envelope->first(); key != nullptr; key = key->next) {
        while (old != old_keys.end() && old->time < key->time) ++old;
        if (old == old_keys.end()) break;
        if (old->time != key->time || key->value == old->value) continue;
        if (scene::only_module_rounding(old->value, key->value)) {
          key->value = old->value;
          ++here;
        }
      }
    }
    restored += here;
  });
  return restored;
}

}  // namespace cli::session
