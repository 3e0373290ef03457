#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "scene_files/lws_scene_file.h"

namespace scene_files {

// Which lines of a .lws file are well-formed key lines, found ahead of the
// reader on all cores: "Key <value> <time> <span type> <p1> ... <p6>", ten
// words, nine finite numbers, a whole span type from 0 to 5. Which of those
// lines are an envelope's keys only the reader can tell (a plug-in's data
// may hold such lines too); it reads the words of a line itself only where
// it needs more than this (a key's shape, the error of a line that is not
// well formed), and the numbers of its keys when it fills the envelopes, on
// all cores again.
//
// One byte a line, so that reading ahead adds next to nothing to the memory
// a scene of millions of keys takes.
class LwsKeyLines {
 public:
  // Reads every line of `file`.
  explicit LwsKeyLines(const LwsSceneFile &file);

  // Whether line `index` is a well-formed key line.
  bool well_formed(int index) const { return (flags_[at(index)] & kWellFormed) != 0; }
  // Whether its span is TCB with all six parameters 0 (most keys of most
  // scenes), so that its shape is the default one.
  bool plain(int index) const { return (flags_[at(index)] & kPlain) != 0; }
  // Whether the line before it is a well-formed key line too, with an
  // earlier time.
  bool after_line_before(int index) const { return (flags_[at(index)] & kAfterLineBefore) != 0; }

 private:
  enum : std::uint8_t { kWellFormed = 1, kPlain = 2, kAfterLineBefore = 4 };
  static std::size_t at(int index) { return static_cast<std::size_t>(index); }
  std::unique_ptr<std::uint8_t[]> flags_;  // by line
};

// The words of a key line, "Key" and its nine numbers, as first_tokens
// finds them.
struct KeyLineWords {
  text::LineToken words[10];
  const text::LineToken &value() const { return words[1]; }
  const text::LineToken &time() const { return words[2]; }
  const text::LineToken &shape(int field) const { return words[3 + field]; }  // 0 span type, 1 to 6 p1 to p6
};

// The nine numbers of a key line's words (value, time, span type, p1 to p6):
// false when one is not a finite number or the span type is not a whole
// number from 0 to 5.
bool read_key_numbers(const KeyLineWords &words, double numbers[9]);

// The value and time of a well-formed key line.
void read_key_value_and_time(std::string_view line, double &value, double &time);

}  // namespace scene_files
