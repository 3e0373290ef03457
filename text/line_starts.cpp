#include "text/line_starts.h"

#include <algorithm>
#include <numeric>

#include "parallel/for_each_index.h"
#include "platform/large_pages.h"

namespace text {
namespace {

constexpr std::size_t kLongestLine = 0xFFFFFFFFu;
// The text is split into parts of about this size, each ending just after a
// "\n", for the cores to share.
constexpr std::size_t kPartBytes = std::size_t{4} << 20;

// Calls found(start) for every line that starts in [from, to) of `text`:
// `from` is a line's start, and `to` the end of the text or just after a
// "\n" (so no "\r\n" is cut).
template <typename Found>
void find_starts(std::string_view text, std::size_t from, std::size_t to, Found &&found) {
  std::size_t start = from;
  for (std::size_t at = from; at < to; ++at) {
    const char c = text[at];
    if (at - start == kLongestLine) {
      found(start);
      start = at;
    }
    if (c != '\n' && c != '\r') continue;
    found(start);
    if (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n') ++at;
    start = at + 1;
  }
  if (start < to) found(start);  // the text's last line, without an ending
}

}  // namespace

LineStarts::LineStarts(std::string_view text) {
  // Where the parts begin: after the first "\n" at or past each multiple of
  // kPartBytes (a text without one is one part).
  std::vector<std::size_t> bounds{0};
  for (std::size_t at = kPartBytes; at < text.size(); at += kPartBytes) {
    const std::size_t newline = text.find('\n', std::max(at, bounds.back()));
    if (newline == std::string_view::npos || newline + 1 >= text.size()) break;
    bounds.push_back(newline + 1);
    at = newline + 1;
  }
  bounds.push_back(text.size());
  const std::size_t parts = bounds.size() - 1;
  // Each part's lines counted, then written where they belong: one entry per
  // line, allocated once.
  std::vector<std::size_t> first_line(parts + 1, 0);
  parallel::for_each_index(parts, [&](std::size_t part) {
    std::size_t count = 0;
    find_starts(text, bounds[part], bounds[part + 1], [&](std::size_t) { ++count; });
    first_line[part + 1] = count;
  });
  std::partial_sum(first_line.begin(), first_line.end(), first_line.begin());
  const std::size_t lines = first_line.back();
  if (lines == 0) return;
  starts_.reserve(lines + 1);
  platform::prefer_large_pages(starts_.data(), (lines + 1) * sizeof(std::uint64_t));
  starts_.resize(lines + 1);
  parallel::for_each_index(parts, [&](std::size_t part) {
    std::uint64_t *into = starts_.data() + first_line[part];
    find_starts(text, bounds[part], bounds[part + 1], [&](std::size_t start) { *into++ = start; });
  });
  starts_[lines] = text.size();
}

TextLine LineStarts::line(std::size_t index, std::string_view text) const {
  const std::uint64_t begin = starts_[index], end = starts_[index + 1];
  std::uint32_t ending = 0;
  if (end > begin && text[end - 1] == '\n') {
    ending = end - 1 > begin && text[end - 2] == '\r' ? 2 : 1;
  } else if (end > begin && text[end - 1] == '\r') {
    ending = 1;
  }
  return TextLine{begin, static_cast<std::uint32_t>(end - begin - ending), ending};
}

}  // namespace text
