#include "text/text_lines.h"

#include <algorithm>

#include "platform/large_pages.h"

namespace text {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<TextLine> split_lines(std::string_view text) {
  constexpr std::size_t kLongestLine = 0xFFFFFFFFu;
  std::vector<TextLine> lines;
  // One entry per line, allocated once: count them first ("\r\n", "\n" and
  // a lone "\r" each end one).
  std::size_t endings = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  for (std::size_t at = text.find('\r'); at != std::string_view::npos; at = text.find('\r', at + 1)) {
    if (at + 1 == text.size() || text[at + 1] != '\n') ++endings;
  }
  lines.reserve(endings + 1 + text.size() / kLongestLine);
  platform::prefer_large_pages(lines.data(), lines.capacity() * sizeof(TextLine));
  std::size_t start = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    if (at - start == kLongestLine) {
      lines.push_back(TextLine{start, static_cast<std::uint32_t>(at - start), 0});
      start = at;
    }
    if (c != '\n' && c != '\r') continue;
    TextLine line;
    line.offset = start;
    line.length = static_cast<std::uint32_t>(at - start);
    line.ending_length = (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n') ? 2 : 1;
    lines.push_back(line);
    at += line.ending_length - 1;
    start = at + 1;
  }
  if (start < text.size())
    lines.push_back(TextLine{start, static_cast<std::uint32_t>(text.size() - start), 0});
  return lines;
}

std::vector<LineToken> split_tokens(std::string_view line) {
  std::vector<LineToken> tokens;
  tokens.reserve(12);  // a key line's ten words, allocated once
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && is_blank(line[at])) ++at;
    if (at == line.size()) break;
    const std::size_t start = at;
    while (at < line.size() && !is_blank(line[at])) ++at;
    tokens.push_back(LineToken{line.substr(start, at - start), start});
  }
  return tokens;
}

std::size_t first_tokens(std::string_view line, LineToken *words, std::size_t count) {
  std::size_t found = 0, at = 0;
  while (found < count) {
    while (at < line.size() && is_blank(line[at])) ++at;
    if (at == line.size()) break;
    const std::size_t start = at;
    while (at < line.size() && !is_blank(line[at])) ++at;
    words[found++] = LineToken{line.substr(start, at - start), start};
  }
  return found;
}

std::string_view trim_blanks(std::string_view text) {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace text
