#include "support/scene_builders.h"

#include <sstream>

namespace testing_support {

scene::Item &add_rotating_item(scene::Scene &scene, const std::string &name,
                               const std::vector<TimedRotation> &keys, scene::ItemKind kind) {
  scene::Item &item = scene.add_item(name, kind);
  scene::Envelope *heading = item.envelope(scene::kChannelNames[scene::kHeading]);
  scene::Envelope *pitch = item.envelope(scene::kChannelNames[scene::kPitch]);
  scene::Envelope *bank = item.envelope(scene::kChannelNames[scene::kBank]);
  for (const TimedRotation &key : keys) {
    heading->create(key.time, key.angles.heading);
    pitch->create(key.time, key.angles.pitch);
    bank->create(key.time, key.angles.bank);
  }
  return item;
}

std::vector<scene::Item *> add_selected_items(scene::Scene &scene, int count,
                                              const std::vector<TimedRotation> &keys,
                                              const std::string &prefix) {
  std::vector<scene::Item *> items;
  for (int i = 0; i < count; ++i)
    items.push_back(&add_rotating_item(scene, prefix + std::to_string(i), keys));
  scene.select(items);
  return items;
}

void add_keys(scene::Envelope &envelope, const std::vector<std::pair<double, double>> &keys) {
  for (const auto &[time, value] : keys) envelope.create(time, value);
}

std::vector<std::pair<double, double>> keys_of(const scene::Envelope &envelope) {
  std::vector<std::pair<double, double>> keys;
  for (const scene::Key *key = envelope.first(); key != nullptr; key = key->next) {
    keys.emplace_back(key->time, key->value);
  }
  return keys;
}

std::vector<double> key_times(const scene::Envelope &envelope) {
  std::vector<double> times;
  for (const scene::Key *key = envelope.first(); key != nullptr; key = key->next) times.push_back(key->time);
  return times;
}

std::string link_fault(const scene::Envelope &envelope) {
  std::ostringstream fault;
  std::vector<const scene::Key *> forward;
  const scene::Key *before = nullptr;
  for (const scene::Key *key = envelope.first(); key != nullptr; key = key->next) {
    if (forward.size() > envelope.size()) return "forward walk is longer than size() (a cycle?)";
    if (key->prev != before) {
      fault << "key at t=" << key->time << " has a prev link that is not the key before it";
      return fault.str();
    }
    if (before != nullptr && !(before->time < key->time)) {
      fault << "times not strictly increasing: " << before->time << " then " << key->time;
      return fault.str();
    }
    if (envelope.find(key->time) != key) {
      fault << "find(" << key->time << ") does not give the key at that time";
      return fault.str();
    }
    forward.push_back(key);
    before = key;
  }
  if (forward.size() != envelope.size()) {
    fault << "forward walk visits " << forward.size() << " keys, size() is " << envelope.size();
    return fault.str();
  }
  if (envelope.last() != before) return "last() is not the last key of the forward walk";
  std::size_t index = forward.size();
  for (const scene::Key *key = envelope.last(); key != nullptr; key = key->prev) {
    if (index == 0 || forward[index - 1] != key) return "backward walk does not mirror the forward walk";
    --index;
  }
  if (index != 0) return "backward walk stops early";
  return "";
}

}  // namespace testing_support
