// Writing a scene back into the .lws text it was read from:
// LwsSceneFile::write.

#include <cmath>
#include <cstdio>
#include <map>
#include <stdexcept>

#include "host/frame_time.h"
#include "host/lws_scene_file.h"
#include "host/number_text.h"
#include "host/scene_file_error.h"
#include "host/value_change.h"

namespace host {
namespace {

// Lines [first, end) of the file are replaced by `text` (which carries its own
// line endings). An empty range inserts `text` before line `first`.
struct LineEdit {
  int end = 0;
  std::string text;
};

std::string replace_column(std::string line, std::size_t column, std::size_t length,
                           const std::string &text) {
  return line.replace(column, length, text);
}

std::string leading_blanks(std::string_view line) {
  std::size_t end = 0;
  while (end < line.size() && (line[end] == ' ' || line[end] == '\t')) ++end;
  return std::string(line.substr(0, end));
}

// The time of a new key or a moved one: on a whole frame, with 8
// significant digits as LightWave writes times ("2.3333333"), which the
// reader snaps back to the same frame; else the shortest exact text.
std::string time_text(double time, double fps) {
  char text[32];
  std::snprintf(text, sizeof text, "%.8g", time);
  double back = 0.0;
  if (parse_double_token(text, back) && snap_to_frame(back, fps) == time) return text;
  return shortest_double_text(time);
}

// A new key takes the shape of the span it splits, which the file stores on
// the next key it has; a new key after the file's last key takes the shape of
// the key before it. Keys made since reading have no shape of their own.
KeyShape shape_for_new_key(const Envelope &envelope, const Key &key) {
  for (const Key *next = key.next; next != nullptr; next = next->next) {
    if (const KeyOrigin *origin = envelope.origin(next)) return origin->shape;
  }
  for (const Key *prev = key.prev; prev != nullptr; prev = prev->prev) {
    if (const KeyOrigin *origin = envelope.origin(prev)) return origin->shape;
  }
  return KeyShape{};
}

}  // namespace

// Builds the edits of one item's motion envelopes.
class LwsEnvelopeWriter {
 public:
  LwsEnvelopeWriter(const LwsSceneFile &file, double fps, std::map<int, LineEdit> &edits)
      : file_(file), fps_(fps), edits_(edits) {}

  void write(const std::string &item_name, const LwsSceneFile::EnvelopeSource &source,
             const Envelope &envelope) {
    std::string ending = line_ending(source.count_line);
    const std::string indent =
        leading_blanks(file_.line_text(source.keys.empty() ? source.count_line : source.keys.front().line));

    std::vector<bool> kept(source.keys.size(), false);
    std::string region;
    bool changed = false;
    std::size_t expected_next_source = 0;
    for (const Key *key = envelope.first(); key != nullptr; key = key->next) {
      require_finite(item_name, source, *key);
      const KeyOrigin *origin = envelope.origin(key);
      const std::int64_t index = origin != nullptr ? origin->index : -1;
      const bool from_file = index >= 0 && static_cast<std::size_t>(index) < source.keys.size() &&
                             !kept[static_cast<std::size_t>(index)];
      if (!from_file) {
        region += indent + new_key_text(envelope, *key) + ending;
        changed = true;
        continue;
      }
      const LwsSceneFile::KeySource &original = source.keys[static_cast<std::size_t>(index)];
      kept[static_cast<std::size_t>(index)] = true;
      if (static_cast<std::size_t>(index) != expected_next_source) changed = true;
      expected_next_source = static_cast<std::size_t>(index) + 1;
      std::string line(file_.line_text(original.line));
      // The time word comes after the value word: replace it first so the
      // value's column stays right.
      if (key->time != original.time) {
        line = replace_column(line, original.time_column, original.time_length, time_text(key->time, fps_));
        changed = true;
      }
      if (value_changed(original.value, key->value)) {
        line = replace_column(line, original.value_column, original.value_length,
                              shortest_double_text(key->value));
        changed = true;
      }
      region += line + line_ending(original.line);
    }
    if (expected_next_source != source.keys.size()) changed = true;

    if (changed) {
      const int first = source.keys.empty() ? source.keys_end_line : source.keys.front().line;
      edits_[first] = LineEdit{source.keys_end_line, std::move(region)};
    }
    if (envelope.size() != source.keys.size()) {
      std::string line(file_.line_text(source.count_line));
      line = replace_column(line, source.count_column, source.count_length, std::to_string(envelope.size()));
      edits_[source.count_line] = LineEdit{source.count_line + 1, line + ending};
    }
  }

 private:
  std::string line_ending(int index) const {
    const std::string_view ending = file_.line_ending(index);
    return ending.empty() ? std::string("\n") : std::string(ending);
  }

  void require_finite(const std::string &item_name, const LwsSceneFile::EnvelopeSource &source,
                      const Key &key) const {
    if (std::isfinite(key.value) && std::isfinite(key.time)) return;
    throw SceneFileError(file_.file_name(), source.channel_line + 1,
                         "cannot write a key of '" + item_name + "' that is not a finite number (value " +
                             std::to_string(key.value) + " at time " + std::to_string(key.time) + ")");
  }

  std::string new_key_text(const Envelope &envelope, const Key &key) const {
    const KeyShape shape = shape_for_new_key(envelope, key);
    std::string text = "Key " + shortest_double_text(key.value) + " " + time_text(key.time, fps_) + " " +
                       std::to_string(shape.span_type);
    for (double parameter : shape.params) text += " " + shortest_double_text(parameter);
    return text;
  }

  const LwsSceneFile &file_;
  double fps_;
  std::map<int, LineEdit> &edits_;
};

std::string LwsSceneFile::write(const Scene &scene, std::vector<std::string> *warnings) const {
  std::map<int, LineEdit> edits;
  LwsEnvelopeWriter envelope_writer(*this, scene.frames_per_second(), edits);
  for (const ItemSource &source : items_) {
    const Item *item = scene.find_item(source.id);
    if (item == nullptr) {
      throw std::invalid_argument("LwsSceneFile::write: the scene has no item with id " +
                                  hex_id_text(source.id) + " ('" + source.name + "' of " + file_name_ + ")");
    }
    for (int channel = 0; channel < kChannelCount; ++channel) {
      const Envelope *envelope = item->envelope(kChannelNames[channel]);
      if (envelope == nullptr) continue;
      if (source.channels[channel]) {
        envelope_writer.write(item->name, *source.channels[channel], *envelope);
      } else if (envelope->size() != 0 && warnings != nullptr) {
        warnings->push_back(file_name_ + ": '" + item->name + "' has keys on " + kChannelNames[channel] +
                            ", a channel its motion in the file does not have; they are not written");
      }
    }
  }

  std::string out;
  out.reserve(text_.size() + 64 * edits.size());
  const int line_count = static_cast<int>(lines_.size());
  for (int index = 0; index < line_count;) {
    auto edit = edits.find(index);
    if (edit != edits.end()) {
      out += edit->second.text;
      if (edit->second.end > index) {
        index = edit->second.end;
        continue;
      }
    }
    const TextLine &line = lines_[index];
    out.append(text_, line.offset, line.length + line.ending_length);
    ++index;
  }
  return out;
}

}  // namespace host
