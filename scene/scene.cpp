#include "scene/scene.h"

#include <lwenvel.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <unordered_set>

namespace scene {

const std::array<const char *, kChannelCount> kChannelNames = {"Position.X", "Position.Y", "Position.Z",
                                                               "Rotation.H", "Rotation.P", "Rotation.B",
                                                               "Scale.X",    "Scale.Y",    "Scale.Z"};

namespace {

constexpr std::uint32_t kCounterMask = 0x0FFFFFFFu;
constexpr int kKindShift = 28;

bool is_rotation_channel(const std::string &name) {
  return name == kChannelNames[kHeading] || name == kChannelNames[kPitch] || name == kChannelNames[kBank];
}

std::string hex_id(std::uint32_t id) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(id));
  return text;
}

}  // namespace

const char *item_kind_name(ItemKind kind) {
  switch (kind) {
    case ItemKind::Object: return "Object";
    case ItemKind::Null: return "Null";
    case ItemKind::Bone: return "Bone";
    case ItemKind::Light: return "Light";
    case ItemKind::Camera: return "Camera";
  }
  return "Unknown";
}

std::uint32_t item_kind_digit(ItemKind kind) {
  switch (kind) {
    case ItemKind::Object:
    case ItemKind::Null: return 1;
    case ItemKind::Light: return 2;
    case ItemKind::Camera: return 3;
    case ItemKind::Bone: return 4;
  }
  return 1;
}

Channel *Item::channel(const std::string &channel_name) const {
  for (const auto &candidate : channels) {
    if (candidate->name == channel_name) return candidate.get();
  }
  return nullptr;
}

Envelope *Item::envelope(const std::string &channel_name) const {
  Channel *found = channel(channel_name);
  return found == nullptr ? nullptr : &found->envelope;
}

Item &Scene::add_item(const std::string &name, ItemKind kind, std::uint32_t id) {
  return add_item_with_channels(name, kind, {kChannelNames.begin(), kChannelNames.end()}, id);
}

Item &Scene::add_item_with_channels(const std::string &name, ItemKind kind,
                                    const std::vector<std::string> &channel_names, std::uint32_t id) {
  if (id != 0) {
    auto taken = items_by_id_.find(id);
    if (taken != items_by_id_.end()) {
      throw std::invalid_argument("Scene::add_item: id " + hex_id(id) + " asked for item '" + name +
                                  "' is already used by item '" + taken->second->name + "'");
    }
  } else {
    id = next_free_id(kind);
  }

  auto item = std::make_unique<Item>();
  item->name = name;
  item->kind = kind;
  item->id = id;
  for (const std::string &channel_name : channel_names) {
    if (item->channel(channel_name) != nullptr) {
      throw std::invalid_argument("Scene::add_item: channel '" + channel_name + "' named twice for item '" +
                                  name + "'");
    }
    auto channel = std::make_unique<Channel>();
    channel->name = channel_name;
    channel->type = is_rotation_channel(channel_name) ? LWET_ANGLE : 0;
    item->channels.push_back(std::move(channel));
  }

  Item *added = item.get();
  items_.push_back(std::move(item));
  try {
    items_by_id_.emplace(id, added);
  } catch (...) {
    items_.pop_back();
    throw;
  }
  return *added;
}

std::uint32_t Scene::next_free_id(ItemKind kind) {
  std::uint32_t digit = item_kind_digit(kind);
  std::uint32_t &counter = next_counter_[digit];
  while (counter <= kCounterMask) {
    std::uint32_t candidate = (digit << kKindShift) | counter;
    ++counter;
    if (items_by_id_.count(candidate) == 0) return candidate;
  }
  throw std::length_error(std::string("Scene::add_item: no free id left for items of kind ") +
                          item_kind_name(kind));
}

Item *Scene::find_item(const std::string &name) const {
  for (const auto &item : items_) {
    if (item->name == name) return item.get();
  }
  return nullptr;
}

Item *Scene::find_item(std::uint32_t id) const {
  auto it = items_by_id_.find(id);
  return it == items_by_id_.end() ? nullptr : it->second;
}

void Scene::require_own_item(const Item *item, const char *operation) const {
  auto it = items_by_id_.find(item->id);
  if (it == items_by_id_.end() || it->second != item) {
    throw std::invalid_argument(std::string("Scene::") + operation + ": item '" + item->name +
                                "' is not part of this scene");
  }
}

void Scene::select_only(Item *item) {
  if (item != nullptr) require_own_item(item, "select_only");
  selection_.clear();
  if (item != nullptr) selection_.push_back(item);
}

void Scene::select(const std::vector<Item *> &items) {
  std::vector<Item *> chosen;
  chosen.reserve(items.size());
  // Repeats are found through a set, so that selecting a whole large scene
  // (100,000 items) takes linear time rather than quadratic.
  std::unordered_set<const Item *> seen;
  seen.reserve(items.size());
  for (Item *item : items) {
    if (item == nullptr) continue;
    require_own_item(item, "select");
    if (seen.insert(item).second) chosen.push_back(item);
  }
  selection_ = std::move(chosen);
}

void Scene::add_to_selection(Item *item) {
  if (item == nullptr) return;
  require_own_item(item, "add_to_selection");
  if (std::find(selection_.begin(), selection_.end(), item) == selection_.end()) selection_.push_back(item);
}

void Scene::remove_from_selection(Item *item) {
  selection_.erase(std::remove(selection_.begin(), selection_.end(), item), selection_.end());
}

void Scene::clear_selection() { selection_.clear(); }

}  // namespace scene
