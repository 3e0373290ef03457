// Reading the project's JSON scene format: read_json_scene.

#include <cmath>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "scene_files/json_scene_file.h"
#include "scene_files/scene_file_error.h"
#include "text/frame_time.h"
#include "text/number_text.h"
#include "text/printable_text.h"

namespace scene_files {
namespace {

using Json = nlohmann::json;

constexpr int kFormatVersion = 1;

const std::map<std::string, scene::ItemKind> &kinds_by_name() {
  static const std::map<std::string, scene::ItemKind> kinds = {{"object", scene::ItemKind::Object},
                                                               {"null", scene::ItemKind::Null},
                                                               {"bone", scene::ItemKind::Bone},
                                                               {"light", scene::ItemKind::Light},
                                                               {"camera", scene::ItemKind::Camera}};
  return kinds;
}

const char *json_type_name(const Json &value) {
  switch (value.type()) {
    case Json::value_t::null: return "null";
    case Json::value_t::object: return "an object";
    case Json::value_t::array: return "an array";
    case Json::value_t::string: return "a string";
    case Json::value_t::boolean: return "true or false";
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float: return "a number";
    default: return "something else";
  }
}

// 1-based line of byte `offset` (1-based, as the JSON library counts).
int line_of_byte(const std::string &text, std::size_t offset) {
  const std::size_t end = std::min(offset == 0 ? 0 : offset - 1, text.size());
  int line = 1;
  for (std::size_t at = 0; at < end; ++at) {
    if (text[at] == '\n') ++line;
  }
  return line;
}

// The library's message without its "[json.exception...] parse error at line
// L, column C: " prefix, which the caller replaces by "FILE:LINE: ".
std::string parse_error_reason(const std::string &what) {
  const std::size_t column = what.find("column ");
  const std::size_t colon = what.find(": ", column == std::string::npos ? 0 : column);
  // The library quotes what it read: it may hold any bytes of the file.
  return text::printable(colon == std::string::npos ? what : what.substr(colon + 2));
}

// The error for a number the library could not hold, from its message
// "... number overflow parsing 'TEXT'".
SceneFileError number_overflow_error(const std::string &text, const std::string &file_name,
                                     const std::string &what) {
  constexpr std::size_t kShownLength = 40;
  const std::size_t open = what.find('\'');
  const std::size_t close = what.rfind('\'');
  const std::string number =
      open != std::string::npos && close > open ? what.substr(open + 1, close - open - 1) : "";
  const std::size_t at = number.empty() ? std::string::npos : text.find(number);
  const int line = at == std::string::npos ? 0 : line_of_byte(text, at + 1);
  return SceneFileError(
      file_name, line,
      "expected a number a double can hold, found " + text::quoted_token(number, kShownLength));
}

class JsonSceneReader {
 public:
  JsonSceneReader(const std::string &file_name, scene::Scene &scene) : file_name_(file_name), scene_(scene) {}

  void read(const Json &root) {
    require_object(root, "");
    allow_only(root, "", {"version", "fps", "time", "frame", "items", "selection"});
    if (root.contains("version")) {
      const Json &version = root["version"];
      if (!version.is_number_integer() || version.get<long long>() != kFormatVersion) {
        fail("version", "expected 1, the only version of this format, found " + version.dump());
      }
    }
    double fps = 30.0;
    if (root.contains("fps")) {
      fps = number(root["fps"], "fps", "the frame rate");
      if (!(fps > 0.0)) fail("fps", "expected a frame rate above 0, found " + root["fps"].dump());
    }
    scene_.set_frames_per_second(fps);
    if (root.contains("time") && root.contains("frame")) {
      fail("frame", "give the current time either as \"time\" (seconds) or as \"frame\", not both");
    }
    if (root.contains("time"))
      scene_.set_current_time(text::snap_to_frame(number(root["time"], "time", "seconds"), fps));
    if (root.contains("frame"))
      scene_.set_current_time(text::frame_time(number(root["frame"], "frame", "a frame"), fps));

    if (!root.contains("items")) fail("items", "missing: expected the list of items (it may be empty: [])");
    read_items(root["items"]);
    if (root.contains("selection")) read_selection(root["selection"]);
  }

 private:
  struct Pending {
    scene::Item *item;
    std::string parent;
    std::string path;
  };

  [[noreturn]] void fail(const std::string &path, const std::string &message) const {
    throw SceneFileError(file_name_, 0, (path.empty() ? std::string() : path + ": ") + message);
  }

  void require_object(const Json &value, const std::string &path) const {
    if (value.is_object()) return;
    fail(path, std::string("expected an object") + (path.empty() ? " (the scene)" : "") + ", found " +
                   json_type_name(value));
  }

  void allow_only(const Json &object, const std::string &path, const std::set<std::string> &fields) const {
    for (const auto &[field, value] : object.items()) {
      (void)value;
      if (fields.count(field) != 0) continue;
      std::string list;
      for (const std::string &name : fields) list += (list.empty() ? "" : ", ") + name;
      fail(path.empty() ? field : path + "." + field, "unknown field; expected one of " + list);
    }
  }

  double number(const Json &value, const std::string &path, const std::string &meaning) const {
    if (!value.is_number()) {
      fail(path, "expected a number (" + meaning + "), found " + json_type_name(value));
    }
    const double result = value.get<double>();
    if (!std::isfinite(result)) fail(path, "expected a finite number (" + meaning + ")");
    return result;
  }

  std::string text(const Json &value, const std::string &path, const std::string &meaning) const {
    if (!value.is_string()) fail(path, "expected a string (" + meaning + "), found " + json_type_name(value));
    return value.get<std::string>();
  }

  void read_items(const Json &items) {
    if (!items.is_array())
      fail("items", std::string("expected an array of items, found ") + json_type_name(items));
    std::vector<Pending> parents;
    for (std::size_t index = 0; index < items.size(); ++index) {
      const std::string path = "items[" + std::to_string(index) + "]";
      const Json &entry = items[index];
      require_object(entry, path);
      allow_only(entry, path, {"name", "kind", "id", "parent", "rotation_order", "channels"});
      if (!entry.contains("name")) fail(path, "missing \"name\"");
      const std::string name = text(entry["name"], path + ".name", "the item's name");
      if (name.empty()) fail(path + ".name", "expected a name, found an empty string");
      if (scene_.find_item(name) != nullptr)
        fail(path + ".name", "a second item named " + text::quoted_token(name));
      if (!entry.contains("kind"))
        fail(path, "missing \"kind\": expected object, null, bone, light or camera");
      const std::string kind_name =
          text(entry["kind"], path + ".kind", "object, null, bone, light or camera");
      const auto kind = kinds_by_name().find(kind_name);
      if (kind == kinds_by_name().end()) {
        fail(path + ".kind",
             "expected object, null, bone, light or camera, found " + text::quoted_token(kind_name));
      }
      const std::uint32_t id = entry.contains("id") ? read_id(entry["id"], path + ".id", kind->second) : 0;
      scene::Item *item = nullptr;
      try {
        item = &scene_.add_item(name, kind->second, id);
      } catch (const std::invalid_argument &) {
        fail(path + ".id", "id " + text::hex_id_text(id) + " is already used by another item");
      }
      if (entry.contains("parent")) {
        parents.push_back(
            Pending{item, text(entry["parent"], path + ".parent", "another item's name"), path});
      }
      if (entry.contains("rotation_order")) read_rotation_order(*item, entry["rotation_order"], path);
      if (entry.contains("channels")) read_channels(*item, entry["channels"], path + ".channels");
    }
    for (const Pending &pending : parents) {
      const scene::Item *parent = scene_.find_item(pending.parent);
      if (parent == nullptr)
        fail(pending.path + ".parent", "no item is named " + text::quoted_token(pending.parent));
      if (parent == pending.item) fail(pending.path + ".parent", "an item cannot be its own parent");
      pending.item->parent_id = parent->id;
    }
    reject_parent_cycles();
  }

  // "HPB", "phb", ...: the three letters from the outside in, any case; the
  // text is kept for writing the scene back as it was.
  void read_rotation_order(scene::Item &item, const Json &value, const std::string &item_path) const {
    const std::string path = item_path + ".rotation_order";
    const std::string letters = text(value, path, "a rotation order such as \"HPB\"");
    const auto order = KeyFrame::rotation_order_from_letters(letters);
    if (!order) {
      fail(path, "item " + text::quoted_token(item.name) +
                     ": expected a rotation order, one of HPB, HBP, PHB, PBH, BHP, BPH (the letters "
                     "from the outside in, any case), found " +
                     text::quoted_token(letters));
    }
    item.rotation_order = *order;
    item.rotation_order_text = letters;
  }

  std::uint32_t read_id(const Json &value, const std::string &path, scene::ItemKind kind) const {
    std::string digits = text(value, path, "a hex id such as \"10000000\"");
    if (digits.rfind("0x", 0) == 0 || digits.rfind("0X", 0) == 0) digits.erase(0, 2);
    std::uint32_t id = 0;
    if (!text::parse_hex_id_token(digits, id) || (id >> 28) != item_kind_digit(kind)) {
      fail(path, "expected a " + std::string(item_kind_name(kind)) + " id: 8 hex digits beginning with " +
                     std::to_string(item_kind_digit(kind)) + ", found " +
                     text::quoted_token(value.get<std::string>()));
    }
    return id;
  }

  void read_channels(scene::Item &item, const Json &channels, const std::string &path) {
    require_object(channels, path);
    for (const auto &[name, keys] : channels.items()) {
      const std::string channel_path = path + "." + name;
      scene::Channel *channel = item.channel(name);
      if (channel == nullptr) {
        std::string list;
        for (const char *known : scene::kChannelNames)
          list += (list.empty() ? "" : ", ") + std::string(known);
        fail(channel_path, "unknown channel; expected one of " + list);
      }
      scene::Envelope *envelope = &channel->envelope;
      // The keys alone, or {"keys": [...], "behaviors": [pre, post], "modifiers": [...]}.
      const Json *key_list = &keys;
      std::string list_path = channel_path;
      if (keys.is_object()) {
        allow_only(keys, channel_path, {"keys", "behaviors", "modifiers"});
        if (!keys.contains("keys")) fail(channel_path, "missing \"keys\"");
        key_list = &keys["keys"];
        list_path = channel_path + ".keys";
        if (keys.contains("behaviors"))
          read_behaviors(*envelope, keys["behaviors"], channel_path + ".behaviors");
        if (keys.contains("modifiers"))
          read_modifiers(*channel, keys["modifiers"], channel_path + ".modifiers");
      }
      if (!key_list->is_array()) {
        fail(list_path,
             std::string("expected an array of [time, value] keys, found ") + json_type_name(*key_list));
      }
      for (std::size_t index = 0; index < key_list->size(); ++index) {
        const std::string key_path = list_path + "[" + std::to_string(index) + "]";
        const Json &key = (*key_list)[index];
        if (!key.is_array() || (key.size() != 2 && key.size() != 9)) {
          fail(key_path,
               std::string("expected a key [time in seconds, value] or [time, value, span type, p1, ..., "
                           "p6], found ") +
                   (key.is_array() ? "an array of " + std::to_string(key.size()) : json_type_name(key)));
        }
        const double time = text::snap_to_frame(number(key[0], key_path + "[0]", "the key's time in seconds"),
                                                scene_.frames_per_second());
        const double value = number(key[1], key_path + "[1]", "the key's value");
        scene::KeyShape shape;
        if (key.size() == 9) {
          const double type = number(key[2], key_path + "[2]", "the span type, 0 to 5");
          if (type != std::floor(type) || type < 0 || type > 5)
            fail(key_path + "[2]", "expected a span type from 0 to 5");
          shape.span_type = static_cast<int>(type);
          for (int p = 0; p < 6; ++p) {
            shape.params[p] = number(key[3 + static_cast<std::size_t>(p)],
                                     key_path + "[" + std::to_string(3 + p) + "]", "a span parameter");
          }
        }
        if (envelope->find(time) != nullptr) fail(key_path, "a second key at the same time (or frame)");
        envelope->set_shape(envelope->create(time, value), shape);
      }
    }
  }

  void read_behaviors(scene::Envelope &envelope, const Json &behaviors, const std::string &path) {
    if (!behaviors.is_array() || behaviors.size() != 2)
      fail(path, "expected [pre, post], two behaviour codes from 0 to 5");
    int codes[2] = {1, 1};
    for (std::size_t side = 0; side < 2; ++side) {
      const double code =
          number(behaviors[side], path + "[" + std::to_string(side) + "]", "a behaviour code, 0 to 5");
      if (code != std::floor(code) || code < 0 || code > 5)
        fail(path + "[" + std::to_string(side) + "]", "expected a behaviour code from 0 to 5");
      codes[side] = static_cast<int>(code);
    }
    envelope.pre_behavior = codes[0];
    envelope.post_behavior = codes[1];
  }

  // Channel modifiers are kept by server name only: the channel's keys are
  // all that is evaluated.
  void read_modifiers(scene::Channel &channel, const Json &modifiers, const std::string &path) {
    if (!modifiers.is_array())
      fail(path, std::string("expected an array of server names, found ") + json_type_name(modifiers));
    for (std::size_t index = 0; index < modifiers.size(); ++index) {
      const std::string entry_path = path + "[" + std::to_string(index) + "]";
      std::string server = text(modifiers[index], entry_path, "a channel modifier's server name");
      if (server.empty()) fail(entry_path, "expected a server name, found an empty string");
      channel.modifiers.push_back(std::move(server));
    }
  }

  void reject_parent_cycles() const {
    const std::size_t count = scene_.items().size();
    for (const auto &item : scene_.items()) {
      const scene::Item *at = item.get();
      for (std::size_t steps = 0; at != nullptr && at->parent_id != 0; ++steps) {
        if (steps > count)
          fail("items", "the parents of " + text::quoted_token(item->name) + " go round in a circle");
        at = scene_.find_item(at->parent_id);
      }
    }
  }

  void read_selection(const Json &selection) {
    if (!selection.is_array()) {
      fail("selection", std::string("expected an array of item names, found ") + json_type_name(selection));
    }
    std::vector<scene::Item *> chosen;
    for (std::size_t index = 0; index < selection.size(); ++index) {
      const std::string path = "selection[" + std::to_string(index) + "]";
      const std::string name = text(selection[index], path, "an item's name");
      scene::Item *item = scene_.find_item(name);
      if (item == nullptr) fail(path, "no item is named " + text::quoted_token(name));
      chosen.push_back(item);
    }
    scene_.select(chosen);
  }

  const std::string &file_name_;
  scene::Scene &scene_;
};

}  // namespace

void read_json_scene(const std::string &text, const std::string &file_name, scene::Scene &scene) {
  Json root;
  try {
    root = Json::parse(text);
  } catch (const Json::parse_error &error) {
    throw SceneFileError(file_name, line_of_byte(text, error.byte), parse_error_reason(error.what()));
  } catch (const Json::out_of_range &error) {
    // A number beyond the range of a double ("1e999"): the library names the
    // number but not where it is, so the line is that of its first occurrence.
    throw number_overflow_error(text, file_name, error.what());
  }
  JsonSceneReader(file_name, scene).read(root);
}

}  // namespace scene_files
