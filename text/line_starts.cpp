#include "text/line_starts.h"

#include <algorithm>

#include "platform/large_pages.h"

namespace text {

LineStarts::LineStarts(std::string_view text) {
  constexpr std::size_t kLongestLine = 0xFFFFFFFFu;
  // One entry per line, allocated once: count them first ("\r\n", "\n" and
  // a lone "\r" each end one).
  std::size_t endings = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  for (std::size_t at = text.find('\r'); at != std::string_view::npos; at = text.find('\r', at + 1)) {
    if (at + 1 == text.size() || text[at + 1] != '\n') ++endings;
  }
  starts_.reserve(endings + 2 + text.size() / kLongestLine);
  platform::prefer_large_pages(starts_.data(), starts_.capacity() * sizeof(std::uint64_t));
  std::size_t start = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    if (at - start == kLongestLine) {
      starts_.push_back(start);
      start = at;
    }
    if (c != '\n' && c != '\r') continue;
    starts_.push_back(start);
    if (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n') ++at;
    start = at + 1;
  }
  if (start < text.size()) starts_.push_back(start);
  if (!starts_.empty()) starts_.push_back(text.size());
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
