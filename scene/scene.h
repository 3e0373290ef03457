#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "rotation/rotation_order.h"
#include "scene/envelope.h"

namespace scene {

enum class ItemKind { Object, Null, Bone, Light, Camera };

const char *item_kind_name(ItemKind kind);
// The top hex digit of the host's ids for items of `kind`: 1 objects and
// nulls, 2 lights, 3 cameras, 4 bones.
std::uint32_t item_kind_digit(ItemKind kind);

// One motion channel: a name such as "Rotation.H", a type (LWET_ANGLE for the
// three rotation channels) and its envelope.
struct Channel {
  std::string name;
  int type = 0;
  Envelope envelope;
  // The channel modifiers (expressions, links, noise, ...) a scene file
  // attaches to the channel, by server name, in file order. The host keeps
  // them and never evaluates them: the envelope holds the keys alone.
  std::vector<std::string> modifiers;
};

// The nine motion channels, in this order.
constexpr int kChannelCount = 9;
extern const std::array<const char *, kChannelCount> kChannelNames;
constexpr int kHeading = 3, kPitch = 4, kBank = 5;

// An item of the scene. Its address is the LWItemID handed to the module.
struct Item {
  std::string name;
  ItemKind kind = ItemKind::Null;
  std::uint32_t id = 0;         // the host's hex id, e.g. 0x10000000
  std::uint32_t parent_id = 0;  // 0: no parent
  // What "LW Item Info 9" answers for the item. Any value of the underlying
  // type may be set, as a host may answer one the module does not know.
  KeyFrame::RotationOrder rotation_order = KeyFrame::RotationOrder::kHPB;
  // The order as a scene file wrote it ("HPB", "phb"), so that writing the
  // scene back gives it as it was; empty where the file did not give one.
  std::string rotation_order_text;
  // The channel group. Normally the nine channels of kChannelNames; an item
  // may be built with fewer (a light or camera in some files, or a test).
  std::vector<std::unique_ptr<Channel>> channels;

  Channel *channel(const std::string &name) const;  // null when absent
  Envelope *envelope(const std::string &name) const;
};

// The stand-in host's scene: items, selection, current time.
class Scene {
 public:
  Scene() = default;
  Scene(const Scene &) = delete;
  Scene &operator=(const Scene &) = delete;

  // Adds an item with the nine standard channels (no keys) and returns it.
  // The id defaults to the next free id of its kind: the kind digit in the
  // top hex nibble, then a counter (0x10000000, 0x10000001, ...). Throws
  // std::invalid_argument when an explicit id is already taken.
  Item &add_item(const std::string &name, ItemKind kind = ItemKind::Null, std::uint32_t id = 0);
  // Adds an item with exactly the named channels (for items missing some).
  // "Rotation.H", "Rotation.P" and "Rotation.B" get type LWET_ANGLE, any
  // other name type 0. Throws std::invalid_argument on a repeated name.
  Item &add_item_with_channels(const std::string &name, ItemKind kind,
                               const std::vector<std::string> &channel_names, std::uint32_t id = 0);

  const std::vector<std::unique_ptr<Item>> &items() const { return items_; }
  Item *find_item(const std::string &name) const;
  Item *find_item(std::uint32_t id) const;

  // Selection in order; each item at most once. Null items are ignored;
  // an item of another scene is refused with std::invalid_argument.
  const std::vector<Item *> &selection() const { return selection_; }
  void select_only(Item *item);
  void select(const std::vector<Item *> &items);
  void add_to_selection(Item *item);
  void remove_from_selection(Item *item);
  void clear_selection();

  double current_time() const { return current_time_; }
  void set_current_time(double seconds) { current_time_ = seconds; }
  double frames_per_second() const { return fps_; }
  void set_frames_per_second(double fps) { fps_ = fps; }

 private:
  std::uint32_t next_free_id(ItemKind kind);
  void require_own_item(const Item *item, const char *operation) const;

  std::vector<std::unique_ptr<Item>> items_;
  std::map<std::uint32_t, Item *> items_by_id_;
  // Per kind digit, the counter where the search for the next free id starts.
  std::array<std::uint32_t, 16> next_counter_{};
  std::vector<Item *> selection_;
  double current_time_ = 0.0;
  double fps_ = 30.0;
};

}  // namespace scene
