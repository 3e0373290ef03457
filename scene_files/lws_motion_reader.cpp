// Reading an item's motion block of a .lws file: LwsMotionReader.

#include "scene_files/lws_motion_reader.h"

#include <algorithm>

#include "scene_files/lws_nested_block.h"
#include "scene_files/scene_file_error.h"
#include "text/count_text.h"
#include "text/frame_time.h"
#include "text/number_text.h"
#include "text/printable_text.h"

namespace scene_files {
namespace {

constexpr int kKeyNumberCount = 9;  // value, time, span type, six span parameters

std::string quoted(std::string_view text) { return text::quoted_line(text); }

}  // namespace

void LwsMotionReader::fail(int line_index, const std::string &message) const {
  throw SceneFileError(file_.file_name(), line_index + 1, message);
}

void LwsMotionReader::start(int keyword_line, bool strict) {
  strict_ = strict;
  active_ = true;
  keyword_line_ = keyword_line;
  count_line_ = -1;
  declared_ = -1;
  read_ = 0;
  pending_channel_ = -1;
  pending_line_ = 0;
  seen_ = {};
}

std::optional<int> LwsMotionReader::read_line(int index, const std::vector<text::LineToken> &tokens,
                                              LwsMotionEnvelopes &envelopes) {
  if (pending_channel_ >= 0) {
    if (!(tokens.size() == 2 && tokens[0].text == "{" && tokens[1].text == "Envelope")) {
      fail(index, "expected '{ Envelope' after 'Channel " + std::to_string(pending_channel_) + "' on line " +
                      std::to_string(pending_line_ + 1) + ", found " + quoted(line(index)));
    }
    return read_envelope(index, envelopes);
  }
  if (declared_ < 0) {
    read_channel_count(index, tokens);
    return index;
  }
  if (read_ < declared_) {
    read_channel_line(index, tokens);
    return index;
  }
  active_ = false;
  return std::nullopt;
}

void LwsMotionReader::read_channel_count(int index, const std::vector<text::LineToken> &tokens) {
  long long count = 0;
  if (tokens.size() != 2 || tokens[0].text != "NumChannels" ||
      !text::parse_integer_token(tokens[1].text, count)) {
    fail(index, "expected 'NumChannels <count>' after '" +
                    std::string(text::trim_blanks(line(keyword_line_))) + "' on line " +
                    std::to_string(keyword_line_ + 1) + ", found " + quoted(line(index)));
  }
  if (count < 0 || count > scene::kChannelCount) {
    fail(index, "expected a channel count from 0 to 9, found " + std::to_string(count));
  }
  declared_ = count;
  count_line_ = index;
  if (count == 0) active_ = false;
}

void LwsMotionReader::read_channel_line(int index, const std::vector<text::LineToken> &tokens) {
  long long channel = 0;
  if (tokens.size() != 2 || tokens[0].text != "Channel" ||
      !text::parse_integer_token(tokens[1].text, channel)) {
    fail(index, "expected 'Channel <number>' (NumChannels on line " + std::to_string(count_line_ + 1) +
                    " says " + text::counted(declared_, "channel", "channels") + ", " +
                    std::to_string(read_) + " read so far), found " + quoted(line(index)));
  }
  if (channel < 0 || channel >= declared_) {
    fail(index, "expected a channel number from 0 to " + std::to_string(declared_ - 1) + " (NumChannels " +
                    std::to_string(declared_) + "), found " + std::to_string(channel));
  }
  if (seen_[channel]) fail(index, "channel " + std::to_string(channel) + " appears twice in this motion");
  seen_[channel] = true;
  pending_channel_ = static_cast<int>(channel);
  pending_line_ = index;
}

void LwsMotionReader::finish_before(int index) {
  if (!active_) return;
  if (declared_ < 0) {
    fail(index, "expected 'NumChannels <count>' after '" +
                    std::string(text::trim_blanks(line(keyword_line_))) + "' on line " +
                    std::to_string(keyword_line_ + 1) + ", found " + quoted(line(index)));
  }
  if (pending_channel_ >= 0 || read_ < declared_) {
    fail(index, "expected 'Channel <number>' and its envelope (NumChannels on line " +
                    std::to_string(count_line_ + 1) + " says " +
                    text::counted(declared_, "channel", "channels") + ", " + std::to_string(read_) +
                    " read so far), found " + quoted(line(index)));
  }
  active_ = false;
}

void LwsMotionReader::finish_at_end() {
  if (!active_) return;
  if (declared_ < 0 || pending_channel_ >= 0 || read_ < declared_) {
    const std::string what = declared_ < 0 ? "'NumChannels <count>'" : "the rest of its channels";
    fail(line_count() - 1, "the file ends inside the motion block of line " +
                               std::to_string(keyword_line_ + 1) + ": expected " + what);
  }
}

// Reads the envelope block opening at `open`; returns the index of its
// closing line.
int LwsMotionReader::read_envelope(int open, LwsMotionEnvelopes &envelopes) {
  const int line_count = this->line_count();
  LwsParsedEnvelope envelope;
  envelope.source.channel_line = pending_line_;
  const int count_line = open + 1;
  long long declared = 0;
  {
    const auto tokens =
        count_line < line_count ? text::split_tokens(line(count_line)) : std::vector<text::LineToken>{};
    if (tokens.size() != 1 || !text::parse_integer_token(tokens[0].text, declared) || declared < 0) {
      fail(count_line,
           "expected the number of keys on the line after '{ Envelope', found " +
               (count_line < line_count ? quoted(line(count_line)) : std::string("the end of file")));
    }
    envelope.source.count_line = count_line;
    envelope.source.count_column = tokens[0].column;
    envelope.source.count_length = tokens[0].text.size();
  }
  envelope.source.keys_end_line = -1;
  bool behaviors_read = false;
  int last_block_close = -1;  // the closing line of the last block nested in the envelope
  int index = count_line + 1;
  for (;; ++index) {
    if (index >= line_count) fail(open, "the envelope opened here is not closed: expected '}'");
    // A well-formed key line (nearly every line of a large scene): its
    // numbers were read ahead.
    if (key_lines_->well_formed(index) && !behaviors_read && last_block_close < 0) {
      add_key(index, envelope);
      continue;
    }
    const auto tokens = text::split_tokens(line(index));
    const std::string_view word = tokens.empty() ? std::string_view() : tokens[0].text;
    if (word == "}" && tokens.size() == 1) {
      if (envelope.source.keys_end_line < 0) envelope.source.keys_end_line = index;
      break;
    }
    if (opens_lws_block(tokens)) {
      // Channel modifiers follow the keys and behaviours, each a block of
      // its own: kept as text, named in the scene.
      if (strict_ && !behaviors_read) {
        fail(index, "expected 'Behaviors <pre> <post>' before the block " + quoted(line(index)) +
                        " in the envelope of channel " + std::to_string(pending_channel_));
      }
      if (envelope.source.keys_end_line < 0) envelope.source.keys_end_line = index;
      LwsNestedBlock block = read_lws_nested_block(file_, index, open, "envelope");
      envelope.modifiers.push_back(std::move(block.server));
      last_block_close = index = block.close_line;
    } else if (word == "Key" && !behaviors_read && last_block_close < 0) {
      fail_key(index, tokens);
    } else if (word == "Behaviors" && !behaviors_read && last_block_close < 0) {
      read_behaviors(index, tokens, envelope);
      envelope.source.keys_end_line = index;
      behaviors_read = true;
    } else {
      const std::string expected =
          last_block_close >= 0 ? "'}' or another block after the block that closes on line " +
                                      std::to_string(last_block_close + 1)
          : behaviors_read ? std::string("'}' or a block such as '{ ChannelHandler' after 'Behaviors'")
                           : std::string("'Key <value> <time> ...', 'Behaviors' or '}'");
      fail(index, "expected " + expected + " in the envelope of channel " + std::to_string(pending_channel_) +
                      ", found " + (tokens.empty() ? std::string("an empty line") : quoted(line(index))));
    }
  }
  const auto listed = static_cast<long long>(envelope.listed);
  envelope.source.key_count = listed;
  // Some exporters of older files write an envelope of an unanimated
  // channel as a count of 1 with no key line; that reads as an envelope
  // without keys. Newer files are held to what they say.
  if (strict_ && !behaviors_read) {
    fail(index, "expected 'Behaviors <pre> <post>' before the '}' that closes the envelope of channel " +
                    std::to_string(pending_channel_));
  }
  if (listed != declared && (listed != 0 || strict_)) {
    fail(count_line, "the envelope says it has " + text::counted(declared, "key", "keys") + " but lists " +
                         std::to_string(listed));
  }
  envelopes[pending_channel_] = std::move(envelope);
  pending_channel_ = -1;
  ++read_;
  if (read_ == declared_) active_ = false;
  return index;
}

// Says what is wrong with a key line that is not well formed
// (lws_key_lines.h).
void LwsMotionReader::fail_key(int index, const std::vector<text::LineToken> &tokens) const {
  if (tokens.size() != 1 + kKeyNumberCount) {
    fail(index,
         "expected 'Key <value> <time> <span type> <p1> <p2> <p3> <p4> <p5> <p6>' (9 numbers), found " +
             text::counted(static_cast<long long>(tokens.size()) - 1, "number", "numbers"));
  }
  static const char *const kFieldNames[kKeyNumberCount] = {"value", "time", "span type", "p1", "p2",
                                                           "p3",    "p4",   "p5",        "p6"};
  for (int field = 0; field < kKeyNumberCount; ++field) {
    double number = 0.0;
    if (!text::parse_double_token(tokens[1 + field].text, number)) {
      fail(index, std::string("expected a number for the key's ") + kFieldNames[field] + ", found " +
                      quoted(tokens[1 + field].text));
    }
  }
  fail(index, "expected a span type from 0 to 5, found " + quoted(tokens[3].text));
}

// The well-formed key line `index` joins `envelope`.
void LwsMotionReader::add_key(int index, LwsParsedEnvelope &envelope) const {
  if (envelope.listed > 0) {
    // The key before is on the line before (else the line check below fails).
    const int line_before = envelope.source.key_line(envelope.listed - 1);
    bool after = key_lines_->after_line_before(index);
    if (line_before != index - 1) {
      double value = 0.0, time = 0.0, time_before = 0.0;
      read_key_value_and_time(line(index), value, time);
      read_key_value_and_time(line(line_before), value, time_before);
      after = time > time_before;
    }
    if (!after) {
      text::LineToken words[3];
      text::first_tokens(line(index), words, 3);
      fail(index, "key time " + quoted(words[2].text) +
                      " is not after the time of the key before it; "
                      "expected keys in increasing time");
    }
  }
  if (index != envelope.source.key_line(envelope.listed)) {
    fail(index, "expected the key lines of an envelope one after another");  // guards key_line()
  }
  if (!key_lines_->plain(index)) {
    KeyLineWords words;
    text::first_tokens(line(index), words.words, 1 + kKeyNumberCount);
    double numbers[kKeyNumberCount];
    read_key_numbers(words, numbers);
    scene::KeyShape shape;
    shape.span_type = static_cast<int>(numbers[2]);
    std::copy(numbers + 3, numbers + kKeyNumberCount, shape.params);
    envelope.shapes.emplace_back(envelope.listed, shape);
  }
  ++envelope.listed;
}

void LwsMotionReader::read_behaviors(int index, const std::vector<text::LineToken> &tokens,
                                     LwsParsedEnvelope &envelope) const {
  long long pre = 0, post = 0;
  if (tokens.size() != 3 || !text::parse_integer_token(tokens[1].text, pre) ||
      !text::parse_integer_token(tokens[2].text, post)) {
    fail(index, "expected 'Behaviors <pre> <post>' (two whole numbers), found " + quoted(line(index)));
  }
  envelope.pre_behavior = static_cast<int>(pre);
  envelope.post_behavior = static_cast<int>(post);
}

void fill_lws_channel(scene::Channel &channel, LwsParsedEnvelope &parsed, const LwsSceneFile &file,
                      double fps) {
  channel.modifiers = std::move(parsed.modifiers);
  scene::Envelope &envelope = channel.envelope;
  envelope.pre_behavior = parsed.pre_behavior;
  envelope.post_behavior = parsed.post_behavior;
  envelope.reserve(static_cast<std::size_t>(parsed.listed));
  std::size_t next_shape = 0;
  for (std::int64_t index = 0; index < parsed.listed; ++index) {
    const int line = parsed.source.key_line(index);
    double value = 0.0, time_as_written = 0.0;
    read_key_value_and_time(file.line_text(line), value, time_as_written);
    const double time = text::snap_to_frame(time_as_written, fps);
    if (envelope.find(time) != nullptr) {
      throw SceneFileError(file.file_name(), line + 1,
                           "this key and the key before it fall on the same frame (times within " +
                               text::shortest_double_text(text::kFrameSnapTolerance) +
                               " frames of one whole frame)");
    }
    const bool shaped = next_shape < parsed.shapes.size() && parsed.shapes[next_shape].first == index;
    envelope.append(time, value, index, shaped ? parsed.shapes[next_shape++].second : scene::KeyShape{});
  }
  // Read and in the scene: the copies go.
  parsed.shapes = std::vector<std::pair<std::int64_t, scene::KeyShape>>();
}

}  // namespace scene_files
