// Writing a scene back into the .lws text it was read from:
// LwsSceneFile::write.

#include <cmath>
#include <cstdio>
#include <map>
#include <stdexcept>

#include "scene/rounding.h"
#include "scene_files/lws_scene_file.h"
#include "scene_files/scene_file_error.h"
#include "text/frame_time.h"
#include "text/number_text.h"
#include "text/text_lines.h"

namespace scene_files {
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
  if (text::parse_double_token(text, back) && text::snap_to_frame(back, fps) == time) return text;
  return text::shortest_double_text(time);
}

// The words of a key line: "Key", value, time, span type, p1 ... p6, as the
// reader checked them; found without allocating, since the writer reads
// every key line.
struct KeyLineWords {
  text::LineToken words[10];
  const text::LineToken &value() const { return words[1]; }
  const text::LineToken &time() const { return words[2]; }
  const text::LineToken &shape(int field) const { return words[3 + field]; }  // 0 span type, 1 to 6 p1 to p6
};

KeyLineWords key_line_words(std::string_view line) {
  KeyLineWords words;
  first_tokens(line, words.words, 10);
  return words;
}

double number_of(const text::LineToken &token) {
  double value = 0.0;
  text::parse_double_token(token.text, value);
  return value;
}

scene::KeyShape shape_of(const KeyLineWords &words) {
  scene::KeyShape shape;
  long long span_type = 0;
  text::parse_integer_token(words.shape(0).text, span_type);
  shape.span_type = static_cast<int>(span_type);
  for (int p = 0; p < 6; ++p) shape.params[p] = number_of(words.shape(1 + p));
  return shape;
}

}  // namespace

// Builds the edits of one item's motion envelopes.
class LwsEnvelopeWriter {
 public:
  LwsEnvelopeWriter(const LwsSceneFile &file, double fps, std::map<int, LineEdit> &edits)
      : file_(file), fps_(fps), edits_(edits) {}

  void write(const std::string &item_name, const LwsSceneFile::EnvelopeSource &source,
             const scene::Envelope &envelope) {
    std::string ending = line_ending(source.count_line);
    const std::string indent =
        leading_blanks(file_.line_text(source.key_count == 0 ? source.count_line : source.key_line(0)));

    std::vector<bool> kept(static_cast<std::size_t>(source.key_count), false);
    std::string region;
    bool changed = false;
    std::int64_t expected_next_source = 0;
    for (const scene::Key *key = envelope.first(); key != nullptr; key = key->next) {
      require_finite(item_name, source, *key);
      const std::int64_t index = envelope.origin(key);
      const bool from_file = index >= 0 && index < source.key_count && !kept[static_cast<std::size_t>(index)];
      if (!from_file) {
        region += indent + new_key_text(envelope, *key) + ending;
        changed = true;
        continue;
      }
      kept[static_cast<std::size_t>(index)] = true;
      if (index != expected_next_source) changed = true;
      expected_next_source = index + 1;
      const int line_index = source.key_line(index);
      const std::string_view original = file_.line_text(line_index);
      const KeyLineWords words = key_line_words(original);
      const bool moved = key->time != text::snap_to_frame(number_of(words.time()), fps_);
      const bool revalued = !scene::only_rounded(number_of(words.value()), key->value);
      // A shape is compared with the file's only where it was set since.
      const bool edited = envelope.shape_edited(key);
      const scene::KeyShape was = edited ? shape_of(words) : scene::KeyShape{};
      const scene::KeyShape is = edited ? envelope.shape(key) : scene::KeyShape{};
      bool reshaped = was.span_type != is.span_type;
      for (int p = 0; p < 6; ++p) reshaped = reshaped || was.params[p] != is.params[p];
      if (!moved && !revalued && !reshaped) {
        region.append(original).append(file_.line_ending(line_index));
        continue;
      }
      // Only the words that changed are written, from the last to the
      // first, so that each word's column stays right.
      std::string line(original);
      for (int p = 5; p >= 0 && reshaped; --p) {
        if (was.params[p] == is.params[p]) continue;
        const text::LineToken &word = words.shape(1 + p);
        line.replace(word.column, word.text.size(), text::shortest_double_text(is.params[p]));
      }
      if (was.span_type != is.span_type) {
        line.replace(words.shape(0).column, words.shape(0).text.size(), std::to_string(is.span_type));
      }
      if (moved) line.replace(words.time().column, words.time().text.size(), time_text(key->time, fps_));
      if (revalued) {
        line.replace(words.value().column, words.value().text.size(), text::shortest_double_text(key->value));
      }
      region += line + line_ending(line_index);
      changed = true;
    }
    if (expected_next_source != source.key_count) changed = true;

    if (changed) {
      const int first = source.key_count == 0 ? source.keys_end_line : source.key_line(0);
      edits_[first] = LineEdit{source.keys_end_line, std::move(region)};
    }
    if (static_cast<std::int64_t>(envelope.size()) != source.key_count) {
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
                      const scene::Key &key) const {
    if (std::isfinite(key.value) && std::isfinite(key.time)) return;
    throw SceneFileError(file_.file_name(), source.channel_line + 1,
                         "cannot write a key of '" + item_name + "' that is not a finite number (value " +
                             std::to_string(key.value) + " at time " + std::to_string(key.time) + ")");
  }

  // A key made since reading has the shape the envelope gave it: that of the
  // span it split, unless set since.
  std::string new_key_text(const scene::Envelope &envelope, const scene::Key &key) const {
    const scene::KeyShape shape = envelope.shape(&key);
    std::string text = "Key " + text::shortest_double_text(key.value) + " " + time_text(key.time, fps_) +
                       " " + std::to_string(shape.span_type);
    for (double parameter : shape.params) text += " " + text::shortest_double_text(parameter);
    return text;
  }

  const LwsSceneFile &file_;
  double fps_;
  std::map<int, LineEdit> &edits_;
};

scene::KeyShape LwsSceneFile::key_shape(const EnvelopeSource &source, std::int64_t index) const {
  return shape_of(key_line_words(line_text(source.key_line(index))));
}

std::string LwsSceneFile::write(const scene::Scene &scene, std::vector<std::string> *warnings) const {
  std::map<int, LineEdit> edits;
  LwsEnvelopeWriter envelope_writer(*this, scene.frames_per_second(), edits);
  for (const ItemSource &source : items_) {
    const scene::Item *item = scene.find_item(source.id);
    if (item == nullptr) {
      throw std::invalid_argument("LwsSceneFile::write: the scene has no item with id " +
                                  text::hex_id_text(source.id) + " ('" + source.name + "' of " + file_name_ +
                                  ")");
    }
    if (source.order_line >= 0) continue;  // held: its order is not known, nothing of it is rewritten
    for (int channel = 0; channel < scene::kChannelCount; ++channel) {
      const scene::Envelope *envelope = item->envelope(scene::kChannelNames[channel]);
      if (envelope == nullptr) continue;
      if (source.channels[channel]) {
        envelope_writer.write(item->name, *source.channels[channel], *envelope);
      } else if (envelope->size() != 0 && warnings != nullptr) {
        warnings->push_back(file_name_ + ": '" + item->name + "' has keys on " +
                            scene::kChannelNames[channel] +
                            ", a channel its motion in the file does not have; they are not written");
      }
    }
  }

  // The size of the result first, so that the text of a large scene is
  // held once and never copied while it grows.
  const int line_count = static_cast<int>(lines_.size());
  const auto walk = [&](auto &&copy_line, auto &&copy_edit) {
    for (int index = 0; index < line_count;) {
      auto edit = edits.find(index);
      if (edit != edits.end()) {
        copy_edit(edit->second.text);
        if (edit->second.end > index) {
          index = edit->second.end;
          continue;
        }
      }
      copy_line(lines_[static_cast<std::size_t>(index)]);
      ++index;
    }
  };
  std::size_t size = 0;
  walk([&](const text::TextLine &line) { size += line.length + line.ending_length; },
       [&](const std::string &text) { size += text.size(); });
  std::string out;
  out.reserve(size);
  walk([&](const text::TextLine &line) { out.append(text_, line.offset, line.length + line.ending_length); },
       [&](const std::string &text) { out += text; });
  return out;
}

}  // namespace scene_files
