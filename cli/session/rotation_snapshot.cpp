#include "cli/session/rotation_snapshot.h"

#include "parallel/for_each_index.h"

namespace cli::session {

std::vector<ItemRotation> snapshot_rotations(const std::vector<scene::Item *> &items) {
  std::vector<ItemRotation> snapshot(items.size());
  parallel::for_each_index(items.size(), [&](std::size_t i) {
    const scene::Item *item = items[i];
    ItemRotation &rotation = snapshot[i];
    rotation.name = item->name;
    rotation.kind = item->kind;
    rotation.order = item->rotation_order;
    for (int channel = 0; channel < 3; ++channel) {
      const scene::Channel *source = item->channel(kRotationChannelNames[channel]);
      if (source == nullptr) continue;
      rotation.modifiers[channel] = source->modifiers;
      const scene::Envelope *envelope = &source->envelope;
      rotation.channels[channel].reserve(envelope->size());
      for (const scene::Key *key = envelope->first(); key != nullptr; key = key->next) {
        rotation.channels[channel].push_back(RotationKey{key->time, key->value});
      }
    }
  });
  return snapshot;
}

}  // namespace cli::session
