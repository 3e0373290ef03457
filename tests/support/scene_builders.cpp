#include "support/scene_builders.h"

#include <sstream>

namespace testing_support {

host::Item &add_rotating_item(host::Scene &scene, const std::string &name,
                              const std::vector<TimedRotation> &keys, host::ItemKind kind) {
  host::Item &item = scene.add_item(name, kind);
  host::Envelope *heading = item.envelope(host::kChannelNames[host::kHeading]);
  host::Envelope *pitch = item.envelope(host::kChannelNames[host::kPitch]);
  host::Envelope *bank = item.envelope(host::kChannelNames[host::kBank]);
  for (const TimedRotation &key : keys) {
    heading->create(key.time, key.angles.heading);
    pitch->create(key.time, key.angles.pitch);
    bank->create(key.time, key.angles.bank);
  }
  return item;
}

std::vector<host::Item *> add_selected_items(host::Scene &scene, int count,
                                             const std::vector<TimedRotation> &keys,
                                             const std::string &prefix) {
  std::vector<host::Item *> items;
  for (int i = 0; i < count; ++i)
    items.push_back(&add_rotating_item(scene, prefix + std::to_string(i), keys));
  scene.select(items);
  return items;
}

void add_keys(host::Envelope &envelope, const std::vector<std::pair<double, double>> &keys) {
  for (const auto &[time, value] : keys) envelope.create(time, value);
}

std::vector<std::pair<double, double>> keys_of(const host::Envelope &envelope) {
  std::vector<std::pair<double, double>> keys;
  for (const host::Key *key = envelope.first(); key != nullptr; key = key->next) {
    keys.emplace_back(key->time, key->value);
  }
  return keys;
}

std::vector<double> key_times(const host::Envelope &envelope) {
  std::vector<double> times;
  for (const host::Key *key = envelope.first(); key != nullptr; key = key->next) times.push_back(key->time);
  return times;
}

std::string link_fault(const host::Envelope &envelope) {
  std::ostringstream fault;
  std::vector<const host::Key *> forward;
  const host::Key *before = nullptr;
  for (const host::Key *key = envelope.first(); key != nullptr; key = key->next) {
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
  for (const host::Key *key = envelope.last(); key != nullptr; key = key->prev) {
    if (index == 0 || forward[index - 1] != key) return "backward walk does not mirror the forward walk";
    --index;
  }
  if (index != 0) return "backward walk stops early";
  return "";
}

}  // namespace testing_support
