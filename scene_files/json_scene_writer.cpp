// Writing the project's JSON scene format: write_json_scene.

#include <cctype>
#include <cmath>
#include <nlohmann/json.hpp>

#include "scene_files/json_scene_file.h"
#include "scene_files/scene_file_error.h"
#include "text/frame_time.h"
#include "text/number_text.h"

namespace scene_files {
namespace {

using Json = nlohmann::json;

std::string kind_word(scene::ItemKind kind) {
  std::string word = item_kind_name(kind);
  for (char &c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return word;
}

// Numbers as the JSON library writes them: the shortest text that reads back
// the same double.
std::string number_text(double value) { return Json(value).dump(); }

// A name as a JSON string. JSON text is UTF-8, so a name that is not (the
// item name of a .lws file saved in Latin-1, say) cannot be written as it is:
// it is refused rather than altered, naming it with its bad bytes replaced.
std::string string_text(const std::string &value, const std::string &file_name) {
  try {
    return Json(value).dump();
  } catch (const Json::type_error &) {
    throw SceneFileError(file_name, 0,
                         "cannot write the name " +
                             Json(value).dump(-1, ' ', false, Json::error_handler_t::replace) +
                             " as JSON: it is not UTF-8 text");
  }
}

// An item's rotation order as the file gave it, or in capitals where it was
// not given and is not H-P-B; empty where nothing is to be written.
std::string order_text(const scene::Item &item, const std::string &file_name) {
  if (!item.rotation_order_text.empty() &&
      KeyFrame::rotation_order_from_letters(item.rotation_order_text) == item.rotation_order)
    return item.rotation_order_text;
  if (item.rotation_order == KeyFrame::RotationOrder::kHPB) return std::string();
  const std::string_view letters = KeyFrame::rotation_order_letters(item.rotation_order);
  if (letters.empty()) {
    throw SceneFileError(file_name, 0,
                         "cannot write the rotation order of '" + item.name + "': value " +
                             std::to_string(static_cast<int>(item.rotation_order)) + " is none of the six");
  }
  return std::string(letters);
}

}  // namespace

std::string write_json_scene(const scene::Scene &scene, const std::string &file_name) {
  const double fps = scene.frames_per_second();
  std::string out = "{\n  \"version\": 1,\n  \"fps\": " + number_text(fps) + ",\n";
  const double now = scene.current_time();
  const double frame = std::nearbyint(now * fps);
  if (text::frame_time(frame, fps) == now) {
    out += "  \"frame\": " + number_text(frame) + ",\n";
  } else {
    out += "  \"time\": " + number_text(now) + ",\n";
  }

  out += "  \"items\": [";
  bool first_item = true;
  for (const auto &item : scene.items()) {
    out += first_item ? "\n" : ",\n";
    first_item = false;
    out += "    {\n      \"name\": " + string_text(item->name, file_name) + ",\n      \"kind\": \"" +
           kind_word(item->kind) + "\",\n      \"id\": \"" + text::hex_id_text(item->id) + "\"";
    if (const scene::Item *parent = scene.find_item(item->parent_id);
        item->parent_id != 0 && parent != nullptr) {
      out += ",\n      \"parent\": " + string_text(parent->name, file_name);
    }
    if (const std::string order = order_text(*item, file_name); !order.empty()) {
      out += ",\n      \"rotation_order\": " + string_text(order, file_name);
    }
    std::string channels;
    for (const auto &channel : item->channels) {
      const scene::Envelope &envelope = channel->envelope;
      if (envelope.size() == 0 && channel->modifiers.empty()) continue;
      // Behaviours other than constant, or modifiers, make the channel an object.
      const bool with_behaviors = envelope.pre_behavior != 1 || envelope.post_behavior != 1;
      const bool as_object = with_behaviors || !channel->modifiers.empty();
      channels += (channels.empty() ? "\n" : ",\n") + std::string("        ") +
                  string_text(channel->name, file_name) + (as_object ? ": {\"keys\": [" : ": [");
      for (const scene::Key *key = envelope.first(); key != nullptr; key = key->next) {
        if (!std::isfinite(key->time) || !std::isfinite(key->value)) {
          throw SceneFileError(
              file_name, 0,
              "cannot write a key of '" + item->name + "' " + channel->name + " that is not a finite number");
        }
        // A key of the default shape (TCB, all parameters 0) as [time, value].
        std::string shape;
        const scene::KeyShape key_shape = envelope.shape(key);
        bool plain = key_shape.span_type == 0;
        for (double p : key_shape.params) plain = plain && p == 0.0;
        if (!plain) {
          shape = ", " + std::to_string(key_shape.span_type);
          for (double p : key_shape.params) shape += ", " + number_text(p);
        }
        channels += std::string(key == envelope.first() ? "\n" : ",\n") + "          [" +
                    number_text(key->time) + ", " + number_text(key->value) + shape + "]";
      }
      channels += "\n        ]";
      if (with_behaviors) {
        channels += ", \"behaviors\": [" + std::to_string(envelope.pre_behavior) + ", " +
                    std::to_string(envelope.post_behavior) + "]";
      }
      for (std::size_t index = 0; index < channel->modifiers.size(); ++index) {
        channels +=
            (index == 0 ? ", \"modifiers\": [" : ", ") + string_text(channel->modifiers[index], file_name);
      }
      if (!channel->modifiers.empty()) channels += "]";
      if (as_object) channels += "}";
    }
    if (!channels.empty()) out += ",\n      \"channels\": {" + channels + "\n      }";
    out += "\n    }";
  }
  out += first_item ? "],\n" : "\n  ],\n";

  out += "  \"selection\": [";
  bool first_selected = true;
  for (const scene::Item *item : scene.selection()) {
    out += (first_selected ? "" : ", ") + string_text(item->name, file_name);
    first_selected = false;
  }
  out += "]\n}\n";
  return out;
}

}  // namespace scene_files
