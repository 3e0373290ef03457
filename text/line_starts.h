#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "text/text_lines.h"

namespace text {

// The lines of a text held elsewhere, as split_lines finds them, in 8 bytes
// a line: where each starts. A line runs to where the next starts, its
// ending included; the ending is read back from the text (a line cut at 4
// GiB has none, and none of its bytes is a line ending). Half the memory of
// a list of TextLines, for scene files of millions of lines.
class LineStarts {
 public:
  LineStarts() = default;
  explicit LineStarts(std::string_view text);

  std::size_t size() const { return starts_.empty() ? 0 : starts_.size() - 1; }
  // Line `index` (< size()) of `text`, the text these lines were found in.
  TextLine line(std::size_t index, std::string_view text) const;
  // The bytes from the start of line `first` to the end of line `last - 1`,
  // endings included.
  std::string_view stretch(std::size_t first, std::size_t last, std::string_view text) const {
    return text.substr(starts_[first], starts_[last] - starts_[first]);
  }

 private:
  std::vector<std::uint64_t> starts_;  // size() + 1 entries, the last the text's size
};

}  // namespace text
