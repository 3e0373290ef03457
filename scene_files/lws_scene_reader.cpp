// Reading a .lws file into a Scene: LwsSceneFile::read.

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>

#include "scene_files/count_text.h"
#include "scene_files/frame_time.h"
#include "scene_files/lws_order_lines.h"
#include "scene_files/lws_scene_file.h"
#include "scene_files/number_text.h"
#include "scene_files/printable_text.h"
#include "scene_files/scene_file_error.h"

namespace host {
namespace {

constexpr int kOldestSupportedVersion = 3;
// Version 8 is written by LightWave 2019. Versions 6 and 7 were found in no
// file: they are read as 8 is, and noted.
constexpr int kNewestSupportedVersion = 8;
constexpr int kFirstStrictVersion = 6;
constexpr int kNewestSeenVersion = 8;
// A UTF-8 byte-order mark, which some editors put at the start of a file.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr int kKeyNumberCount = 9;  // value, time, span type, six span parameters
constexpr int kLastSpanType = 5;
constexpr std::size_t kQuotedTextLimit = 60;

const char *motion_keyword(ItemKind kind) {
  switch (kind) {
    case ItemKind::Object:
    case ItemKind::Null: return "ObjectMotion";
    case ItemKind::Bone: return "BoneMotion";
    case ItemKind::Light: return "LightMotion";
    case ItemKind::Camera: return "CameraMotion";
  }
  return "ObjectMotion";
}

bool is_object_kind(ItemKind kind) { return kind == ItemKind::Object || kind == ItemKind::Null; }

// The file name of an object path as LightWave shows it: without folders
// (either kind of slash), with its extension.
std::string path_base_name(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// A line or token of the file, quoted for a message: never raw bytes.
std::string quoted(std::string_view text) { return quoted_token(trim_blanks(text), kQuotedTextLimit); }

}  // namespace

// The parser behind LwsSceneFile::read. Reads line by line at the top level;
// inside a motion block it insists on NumChannels, then each "Channel i" and
// its envelope block; other blocks are skipped by counting braces.
class LwsReader {
 public:
  LwsReader(LwsSceneFile &file, Scene &scene) : file_(file), scene_(scene) {}

  void run() {
    file_.lines_ = split_lines(file_.text_);
    line_count_ = static_cast<int>(file_.lines_.size());
    read_header();
    for (int index = 2; index < line_count_; ++index) index = read_top_level_line(index);
    finish_motion_at_end();
    if (plugin_depth_ > 0) {
      fail(plugin_line_,
           "the plug-in block opened here is not closed: expected 'EndPlugin' before the end of file");
    }
    if (!open_blocks_.empty()) {
      fail(open_blocks_.back(),
           "the block opened here is not closed: expected a line '}' before the end of file");
    }
    build_scene();
  }

 private:
  struct ParsedEnvelope {
    LwsSceneFile::EnvelopeSource source;
    // The keys as read, until the scene is built.
    std::vector<double> values;
    std::vector<double> times_as_written;
    // The keys whose shape is not the default (TCB, all parameters 0), by
    // their index: most keys of most scenes take no room here.
    std::vector<std::pair<std::int64_t, KeyShape>> shapes;
    int pre_behavior = 1;
    int post_behavior = 1;
  };

  struct ParsedItem {
    ItemKind kind = ItemKind::Null;
    std::string name;
    std::uint32_t id = 0;
    int declaration_line = 0;
    int motion_line = -1;
    int parent_line = -1;
    std::uint32_t parent_id = 0;
    int order_line = -1;  // the first line naming a rotation order (lws_order_lines.h)
    std::array<std::optional<ParsedEnvelope>, kChannelCount> envelopes;
  };

  // The motion block being read.
  struct Motion {
    bool active = false;
    int keyword_line = 0;
    int count_line = -1;
    long long declared = -1;  // NumChannels; -1 until read
    int read = 0;
    int pending_channel = -1;  // after "Channel i", until its envelope
    int pending_line = 0;
    std::array<bool, kChannelCount> seen{};
  };

  [[noreturn]] void fail(int line_index, const std::string &message) const {
    throw SceneFileError(file_.file_name_, line_index + 1, message);
  }

  std::string_view line(int index) const { return file_.line_text(index); }

  void read_header() {
    if (line_count_ == 0) fail(0, "the file is empty; expected 'LWSC' on the first line");
    std::string_view first = line(0);
    // The mark stays in the text, so a file written back keeps it.
    if (first.substr(0, kByteOrderMark.size()) == kByteOrderMark) first.remove_prefix(kByteOrderMark.size());
    if (trim_blanks(first) != "LWSC") {
      fail(0, "expected 'LWSC' on the first line (a LightWave scene file), found " + quoted(line(0)));
    }
    if (line_count_ < 2)
      fail(1, "expected the scene format version (3 to 8) on line 2, found the end of file");
    long long version = 0;
    const auto tokens = split_tokens(line(1));
    if (tokens.size() != 1 || !parse_integer_token(tokens[0].text, version)) {
      fail(1, "expected the scene format version (3 to 8), found " + quoted(line(1)));
    }
    if (version == 1 || version == 2) {
      fail(1, "scene format version " + std::to_string(version) +
                  " is not supported: versions 1 and 2 (LightWave 5 and older) store rotations in degrees. "
                  "Save the scene from LightWave 6 or later (version 3 to 8)");
    }
    if (version > kNewestSupportedVersion) {
      fail(1, "scene format version " + std::to_string(version) +
                  " is newer than this program reads: the newest it knows is version 8 (LightWave 2019)");
    }
    if (version < kOldestSupportedVersion) {
      fail(1, "expected scene format version 3 to 8, found " + std::to_string(version));
    }
    file_.version_ = static_cast<int>(version);
    strict_ = version >= kFirstStrictVersion;
    if (version > 5 && version < kNewestSeenVersion) {
      file_.notes_.push_back(file_.file_name_ + ": scene format version " + std::to_string(version) +
                             " was found in no file this program was tried on; it is read as version 8 is");
    }
  }

  // Reads the line at `index` and whatever belongs to it; returns the index
  // of the last line used.
  int read_top_level_line(int index) {
    const auto tokens = split_tokens(line(index));
    if (tokens.empty()) return index;
    const std::string_view word = tokens[0].text;

    if (plugin_depth_ > 0) {
      // A plug-in's own data, kept as text: nothing in it is an item's
      // motion, whatever its lines look like.
      if (word == "Plugin") ++plugin_depth_;
      if (word == "EndPlugin") --plugin_depth_;
      return index;
    }
    if (names_rotation_order(tokens)) {
      int &held = current_item_ >= 0 ? items_[current_item_].order_line : scene_order_line_;
      if (held < 0) held = index;
    }

    if (!open_blocks_.empty()) {
      if (word.front() == '{') {
        open_blocks_.push_back(index);
      } else if (word == "}") {
        open_blocks_.pop_back();
      }
      return index;
    }

    if (motion_.active) {
      if (motion_.pending_channel >= 0) {
        if (!(tokens.size() == 2 && word == "{" && tokens[1].text == "Envelope")) {
          fail(index, "expected '{ Envelope' after 'Channel " + std::to_string(motion_.pending_channel) +
                          "' on line " + std::to_string(motion_.pending_line + 1) + ", found " +
                          quoted(line(index)));
        }
        return read_envelope(index);
      }
      if (motion_.declared < 0) {
        read_channel_count(index, tokens);
        return index;
      }
      if (motion_.read < motion_.declared) {
        read_channel_line(index, tokens);
        return index;
      }
      motion_.active = false;
    }

    if (word.front() == '{') {
      open_blocks_.push_back(index);
    } else if (word == "}") {
      fail(index, "this '}' closes no block");
    } else if (word == "Plugin") {
      plugin_depth_ = 1;
      plugin_line_ = index;
    } else {
      read_keyword(index, tokens);
    }
    return index;
  }

  void read_keyword(int index, const std::vector<LineToken> &tokens) {
    const std::string_view word = tokens[0].text;
    if (word == "LoadObjectLayer") {
      // LoadObjectLayer <layer> [<id>] <file path>
      const std::size_t path_token = file_.version_ >= 4 ? 3 : 2;
      long long layer = 0;
      if (tokens.size() <= path_token || !parse_integer_token(tokens[1].text, layer)) {
        fail(index, std::string("expected 'LoadObjectLayer <layer> ") + (file_.version_ >= 4 ? "<id> " : "") +
                        "<file>', found " + quoted(line(index)));
      }
      add_item(index, ItemKind::Object, tokens, 2, path_base_name(rest_of_line(index, tokens[path_token])));
    } else if (word == "LoadObject") {
      const std::size_t path_token = file_.version_ >= 4 ? 2 : 1;
      if (tokens.size() <= path_token)
        fail(index, "expected 'LoadObject <file>', found " + quoted(line(index)));
      add_item(index, ItemKind::Object, tokens, 1, path_base_name(rest_of_line(index, tokens[path_token])));
    } else if (word == "AddNullObject") {
      const std::size_t name_token = file_.version_ >= 4 ? 2 : 1;
      if (tokens.size() <= name_token) {
        fail(index, std::string("expected 'AddNullObject ") + (file_.version_ >= 4 ? "<id> " : "") +
                        "<name>', found " + quoted(line(index)));
      }
      add_item(index, ItemKind::Null, tokens, 1, std::string(rest_of_line(index, tokens[name_token])));
    } else if (word == "AddBone") {
      if (last_object_ < 0) fail(index, "AddBone before any object: a bone follows the object it belongs to");
      add_item(index, ItemKind::Bone, tokens, 1, "Bone");
    } else if (word == "AddLight") {
      add_item(index, ItemKind::Light, tokens, 1, "Light");
    } else if (word == "AddCamera") {
      add_item(index, ItemKind::Camera, tokens, 1, "Camera");
    } else if (word == "BoneName") {
      set_name(index, tokens, ItemKind::Bone, "AddBone");
    } else if (word == "LightName") {
      set_name(index, tokens, ItemKind::Light, "AddLight");
    } else if (word == "CameraName") {
      set_name(index, tokens, ItemKind::Camera, "AddCamera");
    } else if (word == "ObjectMotion" || word == "BoneMotion" || word == "LightMotion" ||
               word == "CameraMotion") {
      start_motion(index, word);
    } else if (word == "ParentItem") {
      if (current_item_ < 0) fail(index, "ParentItem before any item");
      std::uint32_t parent = 0;
      if (tokens.size() != 2 || !parse_hex_id_token(tokens[1].text, parent)) {
        fail(index, "expected 'ParentItem <item id in hex>', found " + quoted(line(index)));
      }
      items_[current_item_].parent_id = parent;
      items_[current_item_].parent_line = index;
    } else if (word == "FramesPerSecond") {
      double fps = 0.0;
      if (tokens.size() != 2 || !parse_double_token(tokens[1].text, fps) || !(fps > 0.0)) {
        fail(index, "expected 'FramesPerSecond <frames per second, above 0>', found " + quoted(line(index)));
      }
      fps_ = fps;
    } else if (word == "CurrentFrame") {
      double frame = 0.0;
      if (tokens.size() != 2 || !parse_double_token(tokens[1].text, frame)) {
        fail(index, "expected 'CurrentFrame <frame>', found " + quoted(line(index)));
      }
      current_frame_ = frame;
    } else if ((word == "NumChannels" || word == "Channel") && !strict_) {
      // Newer files hold such lines in blocks of their own; only those
      // right after a motion keyword are channels.
      fail(index, "'" + std::string(word) +
                      "' outside a motion block: expected it after ObjectMotion, "
                      "BoneMotion, LightMotion or CameraMotion");
    }
    // Every other statement is kept as text only.
  }

  // The text from `from` to the end of the line, without trailing blanks.
  std::string_view rest_of_line(int index, const LineToken &from) const {
    return trim_blanks(line(index).substr(from.column));
  }

  void add_item(int index, ItemKind kind, const std::vector<LineToken> &tokens, std::size_t id_token,
                std::string name) {
    finish_pending_motion(index);
    // Items are known by name (the selection and parents of a JSON scene), so
    // each needs one: an object path that ends in a folder gives none.
    if (name.empty()) fail(index, "expected a name for the item, found none in " + quoted(line(index)));
    ParsedItem item;
    item.kind = kind;
    item.name = std::move(name);
    item.declaration_line = index;
    if (file_.version_ >= 4) {
      const std::uint32_t digit = item_kind_digit(kind);
      if (tokens.size() <= id_token || !parse_hex_id_token(tokens[id_token].text, item.id) ||
          (item.id >> 28) != digit) {
        fail(index, "expected the " + std::string(item_kind_name(kind)) +
                        "'s id (8 hex digits beginning with " + std::to_string(digit) + ") after '" +
                        std::string(tokens[0].text) + "', found " + quoted(line(index)));
      }
    } else {
      item.id = version3_id(kind);
    }
    items_.push_back(std::move(item));
    current_item_ = static_cast<int>(items_.size()) - 1;
    if (is_object_kind(kind)) last_object_ = current_item_;
  }

  // Version 3 ids: kind digit, then the number of the item among its kind.
  std::uint32_t version3_id(ItemKind kind) {
    switch (kind) {
      case ItemKind::Object:
      case ItemKind::Null: bone_count_of_last_object_ = 0; return 0x10000000u | object_count_++;
      case ItemKind::Light: return 0x20000000u | light_count_++;
      case ItemKind::Camera: return 0x30000000u | camera_count_++;
      case ItemKind::Bone: {
        const std::uint32_t object_number = items_[last_object_].id & 0xFFFFu;
        return 0x40000000u | ((bone_count_of_last_object_++ & 0xFFFu) << 16) | object_number;
      }
    }
    return 0;
  }

  void set_name(int index, const std::vector<LineToken> &tokens, ItemKind kind, const char *declaration) {
    if (current_item_ < 0 || items_[current_item_].kind != kind) {
      fail(index, "'" + std::string(tokens[0].text) + "' without a " + item_kind_name(kind) +
                      " to name: expected it after " + declaration);
    }
    if (tokens.size() < 2)
      fail(index, "expected '" + std::string(tokens[0].text) + " <name>', found nothing");
    items_[current_item_].name = std::string(rest_of_line(index, tokens[1]));
  }

  void start_motion(int index, std::string_view word) {
    if (current_item_ < 0) fail(index, "'" + std::string(word) + "' before any item");
    ParsedItem &item = items_[current_item_];
    if (word != motion_keyword(item.kind)) {
      fail(index, "'" + std::string(word) + "' after " + item_kind_name(item.kind) + " '" +
                      printable(item.name) + "' (line " + std::to_string(item.declaration_line + 1) +
                      "): expected " + motion_keyword(item.kind));
    }
    if (item.motion_line >= 0) {
      fail(index, "second motion block for '" + printable(item.name) + "': the first is on line " +
                      std::to_string(item.motion_line + 1));
    }
    item.motion_line = index;
    motion_ = Motion{};
    motion_.active = true;
    motion_.keyword_line = index;
  }

  void read_channel_count(int index, const std::vector<LineToken> &tokens) {
    long long count = 0;
    if (tokens.size() != 2 || tokens[0].text != "NumChannels" ||
        !parse_integer_token(tokens[1].text, count)) {
      fail(index, "expected 'NumChannels <count>' after '" +
                      std::string(trim_blanks(line(motion_.keyword_line))) + "' on line " +
                      std::to_string(motion_.keyword_line + 1) + ", found " + quoted(line(index)));
    }
    if (count < 0 || count > kChannelCount) {
      fail(index, "expected a channel count from 0 to 9, found " + std::to_string(count));
    }
    motion_.declared = count;
    motion_.count_line = index;
    if (count == 0) motion_.active = false;
  }

  void read_channel_line(int index, const std::vector<LineToken> &tokens) {
    long long channel = 0;
    if (tokens.size() != 2 || tokens[0].text != "Channel" || !parse_integer_token(tokens[1].text, channel)) {
      fail(index, "expected 'Channel <number>' (NumChannels on line " +
                      std::to_string(motion_.count_line + 1) + " says " +
                      counted(motion_.declared, "channel", "channels") + ", " + std::to_string(motion_.read) +
                      " read so far), found " + quoted(line(index)));
    }
    if (channel < 0 || channel >= motion_.declared) {
      fail(index, "expected a channel number from 0 to " + std::to_string(motion_.declared - 1) +
                      " (NumChannels " + std::to_string(motion_.declared) + "), found " +
                      std::to_string(channel));
    }
    if (motion_.seen[channel])
      fail(index, "channel " + std::to_string(channel) + " appears twice in this motion");
    motion_.seen[channel] = true;
    motion_.pending_channel = static_cast<int>(channel);
    motion_.pending_line = index;
  }

  // An item declaration or the end of file while a motion still expects
  // channels.
  void finish_pending_motion(int index) {
    if (!motion_.active) return;
    if (motion_.declared < 0) {
      fail(index, "expected 'NumChannels <count>' after '" +
                      std::string(trim_blanks(line(motion_.keyword_line))) + "' on line " +
                      std::to_string(motion_.keyword_line + 1) + ", found " + quoted(line(index)));
    }
    if (motion_.pending_channel >= 0 || motion_.read < motion_.declared) {
      fail(index, "expected 'Channel <number>' and its envelope (NumChannels on line " +
                      std::to_string(motion_.count_line + 1) + " says " +
                      counted(motion_.declared, "channel", "channels") + ", " + std::to_string(motion_.read) +
                      " read so far), found " + quoted(line(index)));
    }
    motion_.active = false;
  }

  void finish_motion_at_end() {
    if (!motion_.active) return;
    if (motion_.declared < 0 || motion_.pending_channel >= 0 || motion_.read < motion_.declared) {
      const std::string what = motion_.declared < 0 ? "'NumChannels <count>'" : "the rest of its channels";
      fail(line_count_ - 1, "the file ends inside the motion block of line " +
                                std::to_string(motion_.keyword_line + 1) + ": expected " + what);
    }
  }

  // Reads the envelope block opening at `open`; returns the index of its
  // closing line.
  int read_envelope(int open) {
    ParsedEnvelope envelope;
    envelope.source.channel_line = motion_.pending_line;
    const int count_line = open + 1;
    long long declared = 0;
    {
      const auto tokens =
          count_line < line_count_ ? split_tokens(line(count_line)) : std::vector<LineToken>{};
      if (tokens.size() != 1 || !parse_integer_token(tokens[0].text, declared) || declared < 0) {
        fail(count_line,
             "expected the number of keys on the line after '{ Envelope', found " +
                 (count_line < line_count_ ? quoted(line(count_line)) : std::string("the end of file")));
      }
      envelope.source.count_line = count_line;
      envelope.source.count_column = tokens[0].column;
      envelope.source.count_length = tokens[0].text.size();
      // Room for the keys it says it has, as far as the file has lines for.
      const auto room = static_cast<std::size_t>(std::min<long long>(declared, line_count_ - count_line));
      envelope.values.reserve(room);
      envelope.times_as_written.reserve(room);
    }
    envelope.source.keys_end_line = -1;
    bool behaviors_read = false;
    int index = count_line + 1;
    for (;; ++index) {
      if (index >= line_count_) fail(open, "the envelope opened here is not closed: expected '}'");
      const auto tokens = split_tokens(line(index));
      const std::string_view word = tokens.empty() ? std::string_view() : tokens[0].text;
      if (word == "}" && tokens.size() == 1) {
        if (envelope.source.keys_end_line < 0) envelope.source.keys_end_line = index;
        break;
      }
      if (word == "Key" && !behaviors_read) {
        read_key(index, tokens, envelope);
      } else if (word == "Behaviors" && !behaviors_read) {
        read_behaviors(index, tokens, envelope);
        envelope.source.keys_end_line = index;
        behaviors_read = true;
      } else {
        fail(index,
             std::string("expected ") +
                 (behaviors_read ? "'}' after 'Behaviors'" : "'Key <value> <time> ...', 'Behaviors' or '}'") +
                 " in the envelope of channel " + std::to_string(motion_.pending_channel) + ", found " +
                 (tokens.empty() ? std::string("an empty line") : quoted(line(index))));
      }
    }
    const auto listed = static_cast<long long>(envelope.values.size());
    envelope.source.key_count = listed;
    // Some exporters of older files write an envelope of an unanimated
    // channel as a count of 1 with no key line; that reads as an envelope
    // without keys. Newer files are held to what they say.
    if (strict_ && !behaviors_read) {
      fail(index, "expected 'Behaviors <pre> <post>' before the '}' that closes the envelope of channel " +
                      std::to_string(motion_.pending_channel));
    }
    if (listed != declared && (listed != 0 || strict_)) {
      fail(count_line, "the envelope says it has " + counted(declared, "key", "keys") + " but lists " +
                           std::to_string(listed));
    }
    items_[current_item_].envelopes[motion_.pending_channel] = std::move(envelope);
    motion_.pending_channel = -1;
    ++motion_.read;
    if (motion_.read == motion_.declared) motion_.active = false;
    return index;
  }

  void read_key(int index, const std::vector<LineToken> &tokens, ParsedEnvelope &envelope) {
    if (tokens.size() != 1 + kKeyNumberCount) {
      fail(index,
           "expected 'Key <value> <time> <span type> <p1> <p2> <p3> <p4> <p5> <p6>' (9 numbers), found " +
               counted(static_cast<long long>(tokens.size()) - 1, "number", "numbers"));
    }
    static const char *const kFieldNames[kKeyNumberCount] = {"value", "time", "span type", "p1", "p2",
                                                             "p3",    "p4",   "p5",        "p6"};
    double numbers[kKeyNumberCount];
    for (int field = 0; field < kKeyNumberCount; ++field) {
      if (!parse_double_token(tokens[1 + field].text, numbers[field])) {
        fail(index, std::string("expected a number for the key's ") + kFieldNames[field] + ", found " +
                        quoted(tokens[1 + field].text));
      }
    }
    long long span_type = 0;
    if (!parse_integer_token(tokens[3].text, span_type) || span_type < 0 || span_type > kLastSpanType) {
      fail(index, "expected a span type from 0 to 5, found " + quoted(tokens[3].text));
    }
    if (!envelope.times_as_written.empty() && !(numbers[1] > envelope.times_as_written.back())) {
      fail(index, "key time " + quoted(tokens[2].text) +
                      " is not after the time of the key before it; "
                      "expected keys in increasing time");
    }
    if (index != envelope.source.key_line(static_cast<std::int64_t>(envelope.values.size()))) {
      fail(index, "expected the key lines of an envelope one after another");  // guards key_line()
    }
    KeyShape shape;
    shape.span_type = static_cast<int>(span_type);
    bool plain = span_type == 0;
    for (int p = 0; p < 6; ++p) {
      shape.params[p] = numbers[3 + p];
      plain = plain && shape.params[p] == 0.0;
    }
    if (!plain) envelope.shapes.emplace_back(static_cast<std::int64_t>(envelope.values.size()), shape);
    envelope.values.push_back(numbers[0]);
    envelope.times_as_written.push_back(numbers[1]);
  }

  void read_behaviors(int index, const std::vector<LineToken> &tokens, ParsedEnvelope &envelope) {
    long long pre = 0, post = 0;
    if (tokens.size() != 3 || !parse_integer_token(tokens[1].text, pre) ||
        !parse_integer_token(tokens[2].text, post)) {
      fail(index, "expected 'Behaviors <pre> <post>' (two whole numbers), found " + quoted(line(index)));
    }
    envelope.pre_behavior = static_cast<int>(pre);
    envelope.post_behavior = static_cast<int>(post);
  }

  // Display names are unique: a name already taken gets " (2)", " (3)", ...
  std::string unique_name(const std::string &name, std::set<std::string> &taken) const {
    std::string candidate = name;
    for (int copy = 2; taken.count(candidate) != 0; ++copy)
      candidate = name + " (" + std::to_string(copy) + ")";
    taken.insert(candidate);
    return candidate;
  }

  void build_scene() {
    scene_.set_frames_per_second(fps_);
    scene_.set_current_time(frame_time(current_frame_, fps_));
    std::set<std::string> taken;
    for (ParsedItem &parsed : items_) {
      LwsSceneFile::ItemSource source;
      source.kind = parsed.kind;
      source.name = unique_name(parsed.name, taken);
      source.id = parsed.id;
      source.declaration_line = parsed.declaration_line;
      source.motion_line = parsed.motion_line;
      source.order_line = parsed.order_line >= 0 ? parsed.order_line : scene_order_line_;
      Item *item = nullptr;
      try {
        item = &scene_.add_item(source.name, parsed.kind, parsed.id);
      } catch (const std::invalid_argument &) {
        fail(parsed.declaration_line,
             "item id " + hex_id_text(parsed.id) + " is already used by an earlier item");
      }
      for (int channel = 0; channel < kChannelCount; ++channel) {
        if (!parsed.envelopes[channel]) continue;
        fill_envelope(*item->envelope(kChannelNames[channel]), *parsed.envelopes[channel]);
        source.channels[channel] = std::move(parsed.envelopes[channel]->source);
      }
      file_.items_.push_back(std::move(source));
    }
    for (std::size_t index = 0; index < items_.size(); ++index) {
      const ParsedItem &parsed = items_[index];
      if (parsed.parent_line < 0) continue;
      if (scene_.find_item(parsed.parent_id) == nullptr) {
        fail(parsed.parent_line,
             "ParentItem " + hex_id_text(parsed.parent_id) +
                 " names no item of this scene; expected the id of an item the file declares");
      }
      if (parsed.parent_id == file_.items_[index].id) {
        fail(parsed.parent_line, "ParentItem " + hex_id_text(parsed.parent_id) +
                                     " names the item itself: an item cannot be its own parent");
      }
      scene_.find_item(file_.items_[index].id)->parent_id = parsed.parent_id;
    }
    reject_parent_cycles();
  }

  // A chain of parents that comes back to an item it passed never reaches a
  // root. Each item is walked once: a chain stops at an item already known
  // to reach a root.
  void reject_parent_cycles() const {
    enum : int { kUnseen = 0, kOnChain = 1, kReachesRoot = 2 };
    std::map<std::uint32_t, int> state;
    for (std::size_t index = 0; index < items_.size(); ++index) {
      std::vector<std::uint32_t> chain;
      for (const Item *at = scene_.find_item(file_.items_[index].id); at != nullptr;
           at = at->parent_id != 0 ? scene_.find_item(at->parent_id) : nullptr) {
        int &seen = state[at->id];
        if (seen == kReachesRoot) break;
        if (seen == kOnChain) {
          fail(items_[index].parent_line,
               "the parents of '" + printable(file_.items_[index].name) + "' go round in a circle");
        }
        seen = kOnChain;
        chain.push_back(at->id);
      }
      for (std::uint32_t id : chain) state[id] = kReachesRoot;
    }
  }

  void fill_envelope(Envelope &envelope, ParsedEnvelope &parsed) {
    envelope.pre_behavior = parsed.pre_behavior;
    envelope.post_behavior = parsed.post_behavior;
    envelope.reserve(parsed.values.size());
    std::size_t next_shape = 0;
    for (std::size_t index = 0; index < parsed.values.size(); ++index) {
      const double time = snap_to_frame(parsed.times_as_written[index], fps_);
      if (envelope.find(time) != nullptr) {
        fail(parsed.source.key_line(static_cast<std::int64_t>(index)),
             "this key and the key before it fall on the same frame (times within " +
                 shortest_double_text(kFrameSnapTolerance) + " frames of one whole frame)");
      }
      Key *key = envelope.create(time, parsed.values[index]);
      envelope.set_origin(key, static_cast<std::int64_t>(index));
      envelope.set_shape(key, next_shape < parsed.shapes.size() &&
                                      parsed.shapes[next_shape].first == static_cast<std::int64_t>(index)
                                  ? parsed.shapes[next_shape++].second
                                  : KeyShape{});
    }
    envelope.forget_shape_edits();  // as the file has them
    // Read and in the scene: the copies go.
    parsed.values = std::vector<double>();
    parsed.times_as_written = std::vector<double>();
    parsed.shapes = std::vector<std::pair<std::int64_t, KeyShape>>();
  }

  LwsSceneFile &file_;
  Scene &scene_;
  int line_count_ = 0;
  bool strict_ = false;   // versions 6 and later: envelopes as they say, motion only after its keyword
  int plugin_depth_ = 0;  // Plugin ... EndPlugin bodies open
  int plugin_line_ = 0;   // where the outermost one opened
  std::vector<int> open_blocks_;  // lines of the blocks open at the top level
  std::vector<ParsedItem> items_;
  int current_item_ = -1;
  int scene_order_line_ = -1;  // a line naming a rotation order before any item
  int last_object_ = -1;
  Motion motion_;
  std::uint32_t object_count_ = 0, light_count_ = 0, camera_count_ = 0, bone_count_of_last_object_ = 0;
  double fps_ = 30.0;
  double current_frame_ = 0.0;
};

LwsSceneFile LwsSceneFile::read(std::string text, const std::string &file_name, Scene &scene) {
  LwsSceneFile file;
  file.file_name_ = file_name;
  file.text_ = std::move(text);
  LwsReader reader(file, scene);
  reader.run();
  return file;
}

std::string_view LwsSceneFile::line_text(int index) const {
  const TextLine &line = lines_.at(static_cast<std::size_t>(index));
  return std::string_view(text_).substr(line.offset, line.length);
}

std::string_view LwsSceneFile::line_ending(int index) const {
  const TextLine &line = lines_.at(static_cast<std::size_t>(index));
  return std::string_view(text_).substr(line.offset + line.length, line.ending_length);
}

}  // namespace host
