#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace text {

// One line of a text: where its text lies and how long its line ending is
// (2 for "\r\n", 1 for "\n" or a lone "\r", 0 for a last line without one).
// Compact, since a scene file has millions of lines.
struct TextLine {
  std::uint64_t offset = 0;
  std::uint32_t length = 0;
  std::uint32_t ending_length = 0;
};

// The lines of `text`, endings kept apart so that each can be copied back
// exactly. An empty text has no lines; a text ending in a line ending has no
// empty line after it. A line of 4 GiB or more is cut into lines of less.
std::vector<TextLine> split_lines(std::string_view text);

// A blank-separated word of a line and the column where it starts.
struct LineToken {
  std::string_view text;
  std::size_t column = 0;
};

// The words of `line`, separated by spaces and tabs.
std::vector<LineToken> split_tokens(std::string_view line);

// The first `count` words of `line` into `words` (without allocating, for
// lines read by the million); returns how many there were, at most `count`.
std::size_t first_tokens(std::string_view line, LineToken *words, std::size_t count);

// `text` without leading and trailing spaces and tabs.
std::string_view trim_blanks(std::string_view text);

}  // namespace text
