#include "scene_files/lws_key_lines.h"

#include <algorithm>

#include "parallel/for_each_index.h"
#include "text/number_text.h"

namespace scene_files {
namespace {

// Lines a task reads: enough to make handing them out cost nothing, few
// enough that the cores finish together.
constexpr std::size_t kLinesPerTask = 16384;
constexpr long long kLastSpanType = 5;

// Whether line `index` of `file` is a well-formed key line; if so, its time
// and whether its shape is the default one.
bool read_key_line(const LwsSceneFile &file, std::size_t index, double &time, bool &plain) {
  KeyLineWords words;
  // One word more than a key line has, to tell a line with more apart.
  text::LineToken found[11];
  const std::string_view line = file.line_text(static_cast<int>(index));
  if (text::first_tokens(line, found, 11) != 10 || found[0].text != "Key") return false;
  std::copy(found, found + 10, words.words);
  double numbers[9];
  if (!read_key_numbers(words, numbers)) return false;
  time = numbers[1];
  plain = std::all_of(numbers + 2, numbers + 9, [](double n) { return n == 0.0; });
  return true;
}

}  // namespace

bool read_key_numbers(const KeyLineWords &words, double numbers[9]) {
  for (int field = 0; field < 9; ++field) {
    // Most words of most key lines are "0" (the shape of a TCB key).
    const std::string_view word = words.words[1 + field].text;
    if (word.size() == 1 && word[0] == '0') {
      numbers[field] = 0.0;
      continue;
    }
    if (!text::parse_double_token(word, numbers[field])) return false;
  }
  long long span_type = 0;
  return text::parse_integer_token(words.shape(0).text, span_type) && span_type >= 0 &&
         span_type <= kLastSpanType;
}

void read_key_value_and_time(std::string_view line, double &value, double &time) {
  text::LineToken words[3];
  text::first_tokens(line, words, 3);
  text::parse_double_token(words[1].text, value);
  text::parse_double_token(words[2].text, time);
}

LwsKeyLines::LwsKeyLines(const LwsSceneFile &file) : flags_(new std::uint8_t[file.line_count()]) {
  const std::size_t lines = file.line_count();
  parallel::for_each_index((lines + kLinesPerTask - 1) / kLinesPerTask, [&](std::size_t task) {
    const std::size_t begin = task * kLinesPerTask;
    const std::size_t end = std::min(lines, begin + kLinesPerTask);
    // The line before the task's first, for its time.
    double time_before = 0.0;
    bool plain = false;
    bool key_before = begin > 0 && read_key_line(file, begin - 1, time_before, plain);
    for (std::size_t index = begin; index < end; ++index) {
      double time = 0.0;
      const bool key = read_key_line(file, index, time, plain);
      std::uint8_t flags = 0;
      if (key) flags = plain ? kWellFormed | kPlain : kWellFormed;
      if (key && key_before && time > time_before) flags |= kAfterLineBefore;
      flags_[index] = flags;
      key_before = key;
      time_before = time;
    }
  });
}

}  // namespace scene_files
