#include "cli/session/rotation_snapshot.h"

namespace cli::session {

std::vector<ItemRotation> snapshot_rotations(const std::vector<scene::Item *> &items) {
  std::vector<ItemRotation> snapshot;
  snapshot.reserve(items.size());
  for (const scene::Item *item : items) {
    ItemRotation rotation;
    rotation.name = item->name;
    rotation.kind = item->kind;
    rotation.order = item->rotation_order;
    for (int channel = 0; channel < 3; ++channel) {
      const scene::Channel *source = item->channel(kRotationChannelNames[channel]);
      if (source == nullptr) continue;
      rotation.modifiers[channel] = source->modifiers;
      const scene::Envelope *envelope = &source->envelope;
      for (const scene::Key *key = envelope->first(); key != nullptr; key = key->next) {
        rotation.channels[channel].push_back(RotationKey{key->time, key->value});
      }
    }
    snapshot.push_back(std::move(rotation));
  }
  return snapshot;
}

}  // namespace cli::session
