// Writing a scene back into the .lws text it was read from:
// LwsSceneFile::write.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <memory>
#include <stdexcept>

#include "parallel/for_each_index.h"
#include "scene/rounding.h"
#include "scene_files/lws_key_lines.h"
#include "scene_files/lws_scene_file.h"
#include "scene_files/scene_file_error.h"
#include "text/frame_time.h"
#include "text/number_text.h"
#include "text/text_lines.h"

namespace scene_files {
namespace {

// Lines [first, end) of the file are replaced by the text at [offset,
// offset + length) of the edits' text (which carries its own line endings).
// An empty range inserts the text before line `first`.
struct LineEdit {
  int first = 0;
  int end = 0;
  std::size_t offset = 0;
  std::size_t length = 0;
};

// The edits of one envelope, their texts one after another in one string:
// a scan of a large scene rewrites hundreds of thousands of lines.
struct EnvelopeEdits {
  std::vector<LineEdit> edits;
  std::unique_ptr<std::string> text;  // on the heap: the written text's pieces lie in it

  void add(int first, int end, std::string_view line, std::string_view ending) {
    edits.push_back(LineEdit{first, end, text->size(), line.size() + ending.size()});
    text->append(line).append(ending);
  }
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

// The words of a key line: all ten, or the first `count` ("Key", value and
// time are all most lines need).
KeyLineWords key_line_words(std::string_view line, std::size_t count = 10) {
  KeyLineWords words;
  first_tokens(line, words.words, count);
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

// Builds the edits of a motion envelope.
class LwsEnvelopeWriter {
 public:
  LwsEnvelopeWriter(const LwsSceneFile &file, double fps, EnvelopeEdits &edits)
      : file_(file), fps_(fps), edits_(edits) {}

  void write(const std::string &item_name, const LwsSceneFile::EnvelopeSource &source,
             const scene::Envelope &envelope) {
    if (keys_in_place(source, envelope)) {
      write_in_place(item_name, source, envelope);
      return;
    }
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
      std::string line;
      if (!rewritten_line(envelope, *key, line_index, line)) {
        region.append(file_.line_text(line_index)).append(file_.line_ending(line_index));
        continue;
      }
      region += line + line_ending(line_index);
      changed = true;
    }
    if (expected_next_source != source.key_count) changed = true;

    if (static_cast<std::int64_t>(envelope.size()) != source.key_count) {
      std::string line(file_.line_text(source.count_line));
      line = replace_column(line, source.count_column, source.count_length, std::to_string(envelope.size()));
      edits_.add(source.count_line, source.count_line + 1, line, ending);
    }
    if (changed) {
      const int first = source.key_count == 0 ? source.keys_end_line : source.key_line(0);
      edits_.add(first, source.keys_end_line, region, "");
    }
  }

 private:
  // Whether the envelope holds the keys of its lines in the file, one for
  // one and in their order (what a scan leaves: values changed, nothing
  // made, moved past another or taken away), so that each line can be
  // rewritten where it stands.
  static bool keys_in_place(const LwsSceneFile::EnvelopeSource &source, const scene::Envelope &envelope) {
    if (static_cast<std::int64_t>(envelope.size()) != source.key_count) return false;
    std::int64_t index = 0;
    for (const scene::Key *key = envelope.first(); key != nullptr; key = key->next, ++index) {
      if (envelope.origin(key) != index) return false;
    }
    return true;
  }

  // Rewrites only the key lines whose keys changed, one edit each.
  void write_in_place(const std::string &item_name, const LwsSceneFile::EnvelopeSource &source,
                      const scene::Envelope &envelope) {
    std::int64_t index = 0;
    std::string line;
    for (const scene::Key *key = envelope.first(); key != nullptr; key = key->next, ++index) {
      require_finite(item_name, source, *key);
      const int line_index = source.key_line(index);
      if (!rewritten_line(envelope, *key, line_index, line)) continue;
      edits_.add(line_index, line_index + 1, line, line_ending(line_index));
    }
  }

  // The key line `line_index` of the file rewritten for `key`, which was
  // read from it, into `line` (without its ending); false when the key is as
  // the line says (a value that moved only by rounding counts as such).
  bool rewritten_line(const scene::Envelope &envelope, const scene::Key &key, int line_index,
                      std::string &line) const {
    const std::string_view original = file_.line_text(line_index);
    // A shape is compared with the file's only where it was set since.
    const bool edited = envelope.shape_edited(&key);
    const KeyLineWords words = key_line_words(original, edited ? 10 : 3);
    const bool moved = key.time != text::snap_to_frame(number_of(words.time()), fps_);
    const bool revalued = !scene::only_rounded(number_of(words.value()), key.value);
    const scene::KeyShape was = edited ? shape_of(words) : scene::KeyShape{};
    const scene::KeyShape is = edited ? envelope.shape(&key) : scene::KeyShape{};
    bool reshaped = was.span_type != is.span_type;
    for (int p = 0; p < 6; ++p) reshaped = reshaped || was.params[p] != is.params[p];
    if (!moved && !revalued && !reshaped) return false;
    // Only the words that changed are written, from the last to the first,
    // so that each word's column stays right.
    line.assign(original);
    for (int p = 5; p >= 0 && reshaped; --p) {
      if (was.params[p] == is.params[p]) continue;
      const text::LineToken &word = words.shape(1 + p);
      line.replace(word.column, word.text.size(), text::shortest_double_text(is.params[p]));
    }
    if (was.span_type != is.span_type) {
      line.replace(words.shape(0).column, words.shape(0).text.size(), std::to_string(is.span_type));
    }
    if (moved) line.replace(words.time().column, words.time().text.size(), time_text(key.time, fps_));
    if (revalued) {
      line.replace(words.value().column, words.value().text.size(), text::shortest_double_text(key.value));
    }
    return true;
  }

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
  EnvelopeEdits &edits_;
};

scene::KeyShape LwsSceneFile::key_shape(const EnvelopeSource &source, std::int64_t index) const {
  return shape_of(key_line_words(line_text(source.key_line(index))));
}

std::string LwsSceneFile::write(const scene::Scene &scene, std::vector<std::string> *warnings) const {
  return write_pieces(scene, warnings).joined();
}

text::PieceText LwsSceneFile::write_pieces(const scene::Scene &scene,
                                           std::vector<std::string> *warnings) const {
  // The envelopes to write, in file order.
  struct EnvelopeToWrite {
    const scene::Item *item;
    const EnvelopeSource *source;
    const scene::Envelope *envelope;
  };
  std::vector<EnvelopeToWrite> envelopes;
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
        envelopes.push_back(EnvelopeToWrite{item, &*source.channels[channel], envelope});
      } else if (envelope->size() != 0 && warnings != nullptr) {
        warnings->push_back(file_name_ + ": '" + item->name + "' has keys on " +
                            scene::kChannelNames[channel] +
                            ", a channel its motion in the file does not have; they are not written");
      }
    }
  }
  // Envelopes share nothing: each is compared with its lines on whichever
  // core is free.
  std::vector<EnvelopeEdits> edits_by_envelope(envelopes.size());
  parallel::for_each_index(envelopes.size(), [&](std::size_t i) {
    edits_by_envelope[i].text = std::make_unique<std::string>();
    LwsEnvelopeWriter writer(*this, scene.frames_per_second(), edits_by_envelope[i]);
    writer.write(envelopes[i].item->name, *envelopes[i].source, *envelopes[i].envelope);
  });
  // Every edit with its text, in line order.
  struct PlacedEdit {
    const LineEdit *edit;
    const std::string *text;
    int first() const { return edit->first; }
    std::string_view text_of() const { return std::string_view(*text).substr(edit->offset, edit->length); }
  };
  std::size_t edit_count = 0;
  for (const EnvelopeEdits &some : edits_by_envelope) edit_count += some.edits.size();
  std::vector<PlacedEdit> edits;
  edits.reserve(edit_count);
  for (const EnvelopeEdits &some : edits_by_envelope) {
    for (const LineEdit &edit : some.edits) edits.push_back(PlacedEdit{&edit, some.text.get()});
  }
  // Envelopes come in the file's order, and so do their edits, unless a
  // motion lists its channels out of order.
  const auto earlier = [](const PlacedEdit &a, const PlacedEdit &b) { return a.first() < b.first(); };
  if (!std::is_sorted(edits.begin(), edits.end(), earlier))
    std::stable_sort(edits.begin(), edits.end(), earlier);
  // The lines between two edits are one stretch of the text, one piece.
  const int line_count = static_cast<int>(lines_.size());
  const auto stretch = [&](int from, int to) {
    return lines_.stretch(static_cast<std::size_t>(from), static_cast<std::size_t>(to), text_);
  };
  text::PieceText out;
  out.reserve(2 * edits.size() + 1);  // an edit, then the stretch up to the next
  std::size_t next = 0;
  for (int index = 0; index < line_count;) {
    while (next < edits.size() && edits[next].first() < index) ++next;  // inside an edit before
    const int stop = next < edits.size() ? edits[next].first() : line_count;
    if (stop > index) {
      out.add_kept(stretch(index, stop));
      index = stop;
      continue;
    }
    const PlacedEdit &edit = edits[next++];
    out.add_kept(edit.text_of());
    if (edit.edit->end > index) {
      index = edit.edit->end;
    } else {
      out.add_kept(stretch(index, index + 1));  // inserted before this line
      ++index;
    }
  }
  for (EnvelopeEdits &some : edits_by_envelope) out.hold(std::move(some.text));
  return out;
}

}  // namespace scene_files
