// Reading a .lws file into a Scene: LwsSceneFile::read.

#include <map>
#include <optional>
#include <set>
#include <stdexcept>

#include "parallel/for_each_index.h"
#include "scene_files/lws_key_lines.h"
#include "scene_files/lws_motion_reader.h"
#include "scene_files/lws_order_lines.h"
#include "scene_files/lws_scene_file.h"
#include "scene_files/scene_file_error.h"
#include "text/frame_time.h"
#include "text/number_text.h"
#include "text/printable_text.h"

namespace scene_files {
namespace {

constexpr int kOldestSupportedVersion = 3;
// Version 8 is written by LightWave 2019. Versions 6 and 7 were found in no
// file: they are read as 8 is, and noted.
constexpr int kNewestSupportedVersion = 8;
constexpr int kFirstStrictVersion = 6;
constexpr int kNewestSeenVersion = 8;
// A UTF-8 byte-order mark, which some editors put at the start of a file.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

const char *motion_keyword(scene::ItemKind kind) {
  switch (kind) {
    case scene::ItemKind::Object:
    case scene::ItemKind::Null: return "ObjectMotion";
    case scene::ItemKind::Bone: return "BoneMotion";
    case scene::ItemKind::Light: return "LightMotion";
    case scene::ItemKind::Camera: return "CameraMotion";
  }
  return "ObjectMotion";
}

bool is_object_kind(scene::ItemKind kind) {
  return kind == scene::ItemKind::Object || kind == scene::ItemKind::Null;
}

// The file name of an object path as LightWave shows it: without folders
// (either kind of slash), with its extension.
std::string path_base_name(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// A line or token of the file, quoted for a message: never raw bytes.
std::string quoted(std::string_view text) { return text::quoted_line(text); }

}  // namespace

// The parser behind LwsSceneFile::read. Reads line by line at the top level;
// a motion block goes to LwsMotionReader, which insists on NumChannels, then
// each "Channel i" and its envelope block; other blocks are skipped by
// counting braces.
class LwsReader {
 public:
  LwsReader(LwsSceneFile &file, scene::Scene &scene) : file_(file), scene_(scene), motion_(file) {}

  void run() {
    file_.lines_ = text::LineStarts(file_.text_);
    line_count_ = static_cast<int>(file_.lines_.size());
    key_lines_.emplace(file_);
    motion_.use_key_lines(*key_lines_);
    read_header();
    for (int index = 2; index < line_count_; ++index) index = read_top_level_line(index);
    motion_.finish_at_end();
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
  struct ParsedItem {
    scene::ItemKind kind = scene::ItemKind::Null;
    std::string name;
    std::uint32_t id = 0;
    int declaration_line = 0;
    int motion_line = -1;
    int parent_line = -1;
    std::uint32_t parent_id = 0;
    int order_line = -1;  // the first line naming a rotation order (lws_order_lines.h)
    LwsMotionEnvelopes envelopes;
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
    if (text::trim_blanks(first) != "LWSC") {
      fail(0, "expected 'LWSC' on the first line (a LightWave scene file), found " + quoted(line(0)));
    }
    if (line_count_ < 2)
      fail(1, "expected the scene format version (3 to 8) on line 2, found the end of file");
    long long version = 0;
    const auto tokens = text::split_tokens(line(1));
    if (tokens.size() != 1 || !text::parse_integer_token(tokens[0].text, version)) {
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
    const auto tokens = text::split_tokens(line(index));
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

    if (motion_.active()) {
      const std::optional<int> last = motion_.read_line(index, tokens, items_[current_item_].envelopes);
      if (last) return *last;
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

  void read_keyword(int index, const std::vector<text::LineToken> &tokens) {
    const std::string_view word = tokens[0].text;
    if (word == "LoadObjectLayer") {
      // LoadObjectLayer <layer> [<id>] <file path>
      const std::size_t path_token = file_.version_ >= 4 ? 3 : 2;
      long long layer = 0;
      if (tokens.size() <= path_token || !text::parse_integer_token(tokens[1].text, layer)) {
        fail(index, std::string("expected 'LoadObjectLayer <layer> ") + (file_.version_ >= 4 ? "<id> " : "") +
                        "<file>', found " + quoted(line(index)));
      }
      add_item(index, scene::ItemKind::Object, tokens, 2,
               path_base_name(rest_of_line(index, tokens[path_token])));
    } else if (word == "LoadObject") {
      const std::size_t path_token = file_.version_ >= 4 ? 2 : 1;
      if (tokens.size() <= path_token)
        fail(index, "expected 'LoadObject <file>', found " + quoted(line(index)));
      add_item(index, scene::ItemKind::Object, tokens, 1,
               path_base_name(rest_of_line(index, tokens[path_token])));
    } else if (word == "AddNullObject") {
      const std::size_t name_token = file_.version_ >= 4 ? 2 : 1;
      if (tokens.size() <= name_token) {
        fail(index, std::string("expected 'AddNullObject ") + (file_.version_ >= 4 ? "<id> " : "") +
                        "<name>', found " + quoted(line(index)));
      }
      add_item(index, scene::ItemKind::Null, tokens, 1, std::string(rest_of_line(index, tokens[name_token])));
    } else if (word == "AddBone") {
      if (last_object_ < 0) fail(index, "AddBone before any object: a bone follows the object it belongs to");
      add_item(index, scene::ItemKind::Bone, tokens, 1, "Bone");
    } else if (word == "AddLight") {
      add_item(index, scene::ItemKind::Light, tokens, 1, "Light");
    } else if (word == "AddCamera") {
      add_item(index, scene::ItemKind::Camera, tokens, 1, "Camera");
    } else if (word == "BoneName") {
      set_name(index, tokens, scene::ItemKind::Bone, "AddBone");
    } else if (word == "LightName") {
      set_name(index, tokens, scene::ItemKind::Light, "AddLight");
    } else if (word == "CameraName") {
      set_name(index, tokens, scene::ItemKind::Camera, "AddCamera");
    } else if (word == "ObjectMotion" || word == "BoneMotion" || word == "LightMotion" ||
               word == "CameraMotion") {
      start_motion(index, word);
    } else if (word == "ParentItem") {
      if (current_item_ < 0) fail(index, "ParentItem before any item");
      std::uint32_t parent = 0;
      if (tokens.size() != 2 || !text::parse_hex_id_token(tokens[1].text, parent)) {
        fail(index, "expected 'ParentItem <item id in hex>', found " + quoted(line(index)));
      }
      items_[current_item_].parent_id = parent;
      items_[current_item_].parent_line = index;
    } else if (word == "FramesPerSecond") {
      double fps = 0.0;
      if (tokens.size() != 2 || !text::parse_double_token(tokens[1].text, fps) || !(fps > 0.0)) {
        fail(index, "expected 'FramesPerSecond <frames per second, above 0>', found " + quoted(line(index)));
      }
      fps_ = fps;
    } else if (word == "CurrentFrame") {
      double frame = 0.0;
      if (tokens.size() != 2 || !text::parse_double_token(tokens[1].text, frame)) {
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
  std::string_view rest_of_line(int index, const text::LineToken &from) const {
    return text::trim_blanks(line(index).substr(from.column));
  }

  void add_item(int index, scene::ItemKind kind, const std::vector<text::LineToken> &tokens,
                std::size_t id_token, std::string name) {
    motion_.finish_before(index);
    // Items are known by name (the selection and parents of a JSON scene), so
    // each needs one: an object path that ends in a folder gives none.
    if (name.empty()) fail(index, "expected a name for the item, found none in " + quoted(line(index)));
    ParsedItem item;
    item.kind = kind;
    item.name = std::move(name);
    item.declaration_line = index;
    if (file_.version_ >= 4) {
      const std::uint32_t digit = item_kind_digit(kind);
      if (tokens.size() <= id_token || !text::parse_hex_id_token(tokens[id_token].text, item.id) ||
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
  std::uint32_t version3_id(scene::ItemKind kind) {
    switch (kind) {
      case scene::ItemKind::Object:
      case scene::ItemKind::Null: bone_count_of_last_object_ = 0; return 0x10000000u | object_count_++;
      case scene::ItemKind::Light: return 0x20000000u | light_count_++;
      case scene::ItemKind::Camera: return 0x30000000u | camera_count_++;
      case scene::ItemKind::Bone: {
        const std::uint32_t object_number = items_[last_object_].id & 0xFFFFu;
        return 0x40000000u | ((bone_count_of_last_object_++ & 0xFFFu) << 16) | object_number;
      }
    }
    return 0;
  }

  void set_name(int index, const std::vector<text::LineToken> &tokens, scene::ItemKind kind,
                const char *declaration) {
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
                      text::printable(item.name) + "' (line " + std::to_string(item.declaration_line + 1) +
                      "): expected " + motion_keyword(item.kind));
    }
    if (item.motion_line >= 0) {
      fail(index, "second motion block for '" + text::printable(item.name) + "': the first is on line " +
                      std::to_string(item.motion_line + 1));
    }
    item.motion_line = index;
    motion_.start(index, strict_);
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
    scene_.set_current_time(text::frame_time(current_frame_, fps_));
    std::set<std::string> taken;
    // Items first, then their keys; an id taken twice is told after the
    // keys of the items before it, in the order the file has them.
    std::optional<SceneFileError> taken_id;
    std::vector<scene::Item *> added;
    for (const ParsedItem &parsed : items_) {
      LwsSceneFile::ItemSource source;
      source.kind = parsed.kind;
      source.name = unique_name(parsed.name, taken);
      source.id = parsed.id;
      source.declaration_line = parsed.declaration_line;
      source.motion_line = parsed.motion_line;
      source.order_line = parsed.order_line >= 0 ? parsed.order_line : scene_order_line_;
      try {
        added.push_back(&scene_.add_item(source.name, parsed.kind, parsed.id));
      } catch (const std::invalid_argument &) {
        taken_id.emplace(file_.file_name_, parsed.declaration_line + 1,
                         "item id " + text::hex_id_text(parsed.id) + " is already used by an earlier item");
        break;
      }
      file_.items_.push_back(std::move(source));
    }
    // Envelopes share nothing: each is filled on whichever core is free.
    parallel::for_each_index(added.size() * scene::kChannelCount, [&](std::size_t task) {
      const std::size_t index = task / scene::kChannelCount;
      const int channel = static_cast<int>(task % scene::kChannelCount);
      std::optional<LwsParsedEnvelope> &parsed = items_[index].envelopes[channel];
      if (!parsed) return;
      fill_lws_channel(*added[index]->channel(scene::kChannelNames[channel]), *parsed, file_, fps_);
      file_.items_[index].channels[channel] = std::move(parsed->source);
    });
    key_lines_.reset();
    if (taken_id) throw *taken_id;
    for (std::size_t index = 0; index < items_.size(); ++index) {
      const ParsedItem &parsed = items_[index];
      if (parsed.parent_line < 0) continue;
      if (scene_.find_item(parsed.parent_id) == nullptr) {
        fail(parsed.parent_line,
             "ParentItem " + text::hex_id_text(parsed.parent_id) +
                 " names no item of this scene; expected the id of an item the file declares");
      }
      if (parsed.parent_id == file_.items_[index].id) {
        fail(parsed.parent_line, "ParentItem " + text::hex_id_text(parsed.parent_id) +
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
      for (const scene::Item *at = scene_.find_item(file_.items_[index].id); at != nullptr;
           at = at->parent_id != 0 ? scene_.find_item(at->parent_id) : nullptr) {
        int &seen = state[at->id];
        if (seen == kReachesRoot) break;
        if (seen == kOnChain) {
          fail(items_[index].parent_line,
               "the parents of '" + text::printable(file_.items_[index].name) + "' go round in a circle");
        }
        seen = kOnChain;
        chain.push_back(at->id);
      }
      for (std::uint32_t id : chain) state[id] = kReachesRoot;
    }
  }

  LwsSceneFile &file_;
  scene::Scene &scene_;
  int line_count_ = 0;
  bool strict_ = false;   // versions 6 and later: envelopes as they say, motion only after its keyword
  int plugin_depth_ = 0;  // Plugin ... EndPlugin bodies open
  int plugin_line_ = 0;   // where the outermost one opened
  std::vector<int> open_blocks_;  // lines of the blocks open at the top level
  std::vector<ParsedItem> items_;
  int current_item_ = -1;
  int scene_order_line_ = -1;  // a line naming a rotation order before any item
  int last_object_ = -1;
  std::optional<LwsKeyLines> key_lines_;  // until the scene is built
  LwsMotionReader motion_;
  std::uint32_t object_count_ = 0, light_count_ = 0, camera_count_ = 0, bone_count_of_last_object_ = 0;
  double fps_ = 30.0;
  double current_frame_ = 0.0;
};

LwsSceneFile LwsSceneFile::read(std::string text, const std::string &file_name, scene::Scene &scene) {
  LwsSceneFile file;
  file.file_name_ = file_name;
  file.text_ = std::move(text);
  LwsReader reader(file, scene);
  reader.run();
  return file;
}

text::TextLine LwsSceneFile::line_at(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= lines_.size()) {
    throw std::out_of_range("LwsSceneFile: no line " + std::to_string(index) + " in " + file_name_);
  }
  return lines_.line(static_cast<std::size_t>(index), text_);
}

std::string_view LwsSceneFile::line_text(int index) const {
  const text::TextLine line = line_at(index);
  return std::string_view(text_).substr(line.offset, line.length);
}

std::string_view LwsSceneFile::line_ending(int index) const {
  const text::TextLine line = line_at(index);
  return std::string_view(text_).substr(line.offset + line.length, line.ending_length);
}

}  // namespace scene_files
