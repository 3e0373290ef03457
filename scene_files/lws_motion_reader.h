#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "scene/scene.h"
#include "scene_files/lws_key_lines.h"
#include "scene_files/lws_scene_file.h"
#include "text/text_lines.h"

namespace scene_files {

// One "Channel i" envelope of an item's motion as read from a .lws file,
// until the scene is built.
struct LwsParsedEnvelope {
  LwsSceneFile::EnvelopeSource source;
  // The keys listed so far; their numbers are read from their lines
  // (source.key_line) when the envelope is filled.
  std::int64_t listed = 0;
  // The keys whose shape is not the default (TCB, all parameters 0), by
  // their index: most keys of most scenes take no room here.
  std::vector<std::pair<std::int64_t, scene::KeyShape>> shapes;
  int pre_behavior = 1;
  int post_behavior = 1;
  // The blocks nested after the keys and behaviours (channel modifiers), by
  // server name (LwsNestedBlock::server).
  std::vector<std::string> modifiers;
};

// An item's motion envelopes by channel; those its file lacks stay empty.
using LwsMotionEnvelopes = std::array<std::optional<LwsParsedEnvelope>, scene::kChannelCount>;

// Reads the motion block that follows an item's ObjectMotion (BoneMotion,
// ...) line: NumChannels, then each "Channel i" line and its envelope
// block. An envelope's keys and Behaviors line may be followed by nested
// blocks, its channel modifiers ("{ ChannelHandler"), kept as text
// (lws_nested_block.h). The scene reader hands it the lines that follow the
// keyword until the block has all the channels it declared.
class LwsMotionReader {
 public:
  explicit LwsMotionReader(const LwsSceneFile &file) : file_(file) {}

  // The file's key lines, read ahead (lws_key_lines.h); needed before the
  // first motion block.
  void use_key_lines(const LwsKeyLines &key_lines) { key_lines_ = &key_lines; }

  // A motion block starts after the keyword on line `keyword_line`. Files of
  // versions 6 and later (`strict`) are held to what their envelopes say.
  void start(int keyword_line, bool strict);
  bool active() const { return active_; }

  // Reads line `index` (with its words `tokens`, not blank) while active():
  // the channel count, a "Channel i" line or an envelope, which goes to
  // `envelopes`. Returns the last line used, or nothing when the motion
  // already has all its channels and the line is not part of it.
  std::optional<int> read_line(int index, const std::vector<text::LineToken> &tokens,
                               LwsMotionEnvelopes &envelopes);

  // An item declared on line `index`, or the end of the file: the motion
  // must have all its channels by then.
  void finish_before(int index);
  void finish_at_end();

 private:
  [[noreturn]] void fail(int line_index, const std::string &message) const;
  std::string_view line(int index) const { return file_.line_text(index); }
  int line_count() const { return static_cast<int>(file_.line_count()); }

  void read_channel_count(int index, const std::vector<text::LineToken> &tokens);
  void read_channel_line(int index, const std::vector<text::LineToken> &tokens);
  int read_envelope(int open, LwsMotionEnvelopes &envelopes);
  void add_key(int index, LwsParsedEnvelope &envelope) const;
  [[noreturn]] void fail_key(int index, const std::vector<text::LineToken> &tokens) const;
  void read_behaviors(int index, const std::vector<text::LineToken> &tokens,
                      LwsParsedEnvelope &envelope) const;

  const LwsSceneFile &file_;
  const LwsKeyLines *key_lines_ = nullptr;
  bool strict_ = false;
  bool active_ = false;
  int keyword_line_ = 0;
  int count_line_ = -1;
  long long declared_ = -1;  // NumChannels; -1 until read
  int read_ = 0;
  int pending_channel_ = -1;  // after "Channel i", until its envelope
  int pending_line_ = 0;
  std::array<bool, scene::kChannelCount> seen_{};
};

// Puts the keys of `parsed`, read from their lines of `file`, into the
// envelope of `channel` (empty), their times snapped to whole frames at
// `fps`, and its modifiers into the channel's. Throws SceneFileError when
// two keys fall on one frame.
void fill_lws_channel(scene::Channel &channel, LwsParsedEnvelope &parsed, const LwsSceneFile &file,
                      double fps);

}  // namespace scene_files
