#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "scene/scene.h"
#include "text/line_starts.h"
#include "text/piece_text.h"
#include "text/text_lines.h"

namespace scene_files {

// A LightWave scene file (.lws, versions 3 to 8) read into a Scene, and
// everything needed to write that scene back so that only what changed
// differs from the file: every line is kept with its own line ending, a key
// whose value changed gets only its value word rewritten, new keys get new
// "Key" lines and deleted keys lose theirs.
//
// What becomes of the file:
// - Items: LoadObjectLayer / LoadObject (an object named after its file,
//   "name (2)" for a second one of that name), AddNullObject, AddBone +
//   BoneName, AddLight + LightName, AddCamera + CameraName, in file order.
//   Ids: version 3 numbers items by kind in file order (objects and nulls
//   share one count; a bone's id holds its number among its object's bones in
//   bits 16-27 and its object's number in bits 0-15); versions 4 and 5 give
//   the id on the declaring line. ParentItem sets the parent.
// - Motion: the "Channel i" envelopes of an item's ObjectMotion, BoneMotion,
//   LightMotion or CameraMotion block become its host channel i (0-2
//   position, 3-5 rotation heading/pitch/bank in radians, 6-8 scale). Every
//   item gets all nine host channels; those its file lacks stay empty and are
//   never written. Envelopes elsewhere (plug-in blocks, MorphAmount, ...) are
//   kept as text only.
// - Channel modifiers: blocks nested in a motion envelope after its keys and
//   its Behaviors line ("{ ChannelHandler" with the server's name and data,
//   or any other "{ Name" block, with blocks inside to any depth) are kept
//   as text; the channel holds their server names (Channel::modifiers).
// - FramesPerSecond and CurrentFrame set the scene's frame rate and current
//   time. Key times are snapped to whole frames as frame_time.h describes.
// - Plug-in bodies (Plugin ... EndPlugin, nested) are kept as text only.
// - Versions 6 to 8 (LightWave 2015 to 2019) keep items, motions and key
//   lines as version 5 does and add statements and blocks of their own,
//   kept as text; "NumChannels" and "Channel" count only right after a
//   motion keyword, and every motion envelope must list the keys it says it
//   has and end with its Behaviors line (or with modifier blocks after it). A UTF-8 byte-order mark before
//   "LWSC" is accepted and kept.
// - An item whose block names a rotation order (lws_order_lines.h) is read
//   as it is but held: its lines are written back as they were.
class LwsSceneFile {
 public:
  // One "Channel i" envelope block of an item's motion. Its key lines follow
  // the count line one after another: key i of the block is on line
  // count_line + 1 + i. What they held is read from there when needed (a
  // scene of millions of keys keeps no copy of them beside its text).
  struct EnvelopeSource {
    int channel_line = 0;  // the "Channel i" line
    int count_line = 0;    // the line holding the number of keys
    std::size_t count_column = 0, count_length = 0;
    int keys_end_line = 0;  // first line after the key lines ("Behaviors" or "}")
    std::int64_t key_count = 0;

    int key_line(std::int64_t index) const { return count_line + 1 + static_cast<int>(index); }
  };

  // One item as the file declares it.
  struct ItemSource {
    scene::ItemKind kind = scene::ItemKind::Null;
    std::string name;  // the name it has in the scene
    std::uint32_t id = 0;
    int declaration_line = 0;
    int motion_line = -1;  // the ObjectMotion/... line, -1 when there is none
    // A line naming a rotation order this reader cannot read
    // (lws_order_lines.h), -1 when there is none: the item is held, and
    // write() leaves its lines as they are.
    int order_line = -1;
    std::array<std::optional<EnvelopeSource>, scene::kChannelCount> channels;
  };

  // Reads `text`, the whole content of the file called `file_name` (used in
  // messages only), and adds its items, frame rate and current time to
  // `scene`, which should hold no items yet. Throws SceneFileError naming the
  // file, the line and what was expected there.
  static LwsSceneFile read(std::string text, const std::string &file_name, scene::Scene &scene);

  // The file's text with the keys of the motion envelopes as `scene` holds
  // them now. `scene` is the one read() filled (items are found by id). When
  // nothing changed the result is the text that was read, byte for byte. A
  // changed value gets the shortest text that reads back as the same double;
  // a value that moved only by rounding (scene/rounding.h) keeps its text.
  // Keys on channels that the file does not have are not written; each such
  // channel adds a line to `warnings` when given. A held item's lines are
  // written as they were, whatever the scene holds for it. Throws SceneFileError when a
  // key to write is not a finite number.
  std::string write(const scene::Scene &scene, std::vector<std::string> *warnings = nullptr) const;
  // The same text as pieces: stretches of the text read, which must outlive
  // the result, and the lines rewritten (for a scene of millions of keys,
  // never copied whole).
  text::PieceText write_pieces(const scene::Scene &scene, std::vector<std::string> *warnings = nullptr) const;

  const std::string &file_name() const { return file_name_; }
  int version() const { return version_; }
  const std::vector<ItemSource> &items() const { return items_; }
  // What reading noted beside errors (a version not seen in any file).
  const std::vector<std::string> &notes() const { return notes_; }
  // The shape of key `index` of `source` (its span type and six parameters)
  // as its line holds it.
  scene::KeyShape key_shape(const EnvelopeSource &source, std::int64_t index) const;

  // The whole text that was read.
  const std::string &text() const { return text_; }
  std::size_t line_count() const { return lines_.size(); }
  // The text of line `index` (0-based) without its line ending.
  std::string_view line_text(int index) const;
  // Its line ending as the file has it: "\r\n", "\n", "\r" or "" (last line).
  std::string_view line_ending(int index) const;

 private:
  friend class LwsReader;
  text::TextLine line_at(int index) const;

  std::string file_name_;
  std::string text_;
  text::LineStarts lines_;
  int version_ = 0;
  std::vector<ItemSource> items_;
  std::vector<std::string> notes_;
};

}  // namespace scene_files
