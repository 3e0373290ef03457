#include "text/text_lines.h"

#include "text/line_starts.h"

namespace text {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<TextLine> split_lines(std::string_view text) {
  const LineStarts starts(text);
  std::vector<TextLine> lines;
  lines.reserve(starts.size());
  for (std::size_t index = 0; index < starts.size(); ++index) lines.push_back(starts.line(index, text));
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
