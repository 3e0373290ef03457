// Reading a block nested inside another block of a .lws file:
// read_lws_nested_block.

#include "scene_files/lws_nested_block.h"

#include "scene_files/scene_file_error.h"
#include "text/printable_text.h"

namespace scene_files {
namespace {

constexpr std::string_view kChannelHandler = "ChannelHandler";

std::size_t indentation(std::string_view line) {
  std::size_t blanks = 0;
  while (blanks < line.size() && (line[blanks] == ' ' || line[blanks] == '\t')) ++blanks;
  return blanks;
}

std::string block_name(const std::vector<text::LineToken> &opening) {
  if (opening[0].text.size() > 1) return std::string(opening[0].text.substr(1));
  return opening.size() > 1 ? std::string(opening[1].text) : std::string();
}

// A line's text without the blanks around it and without the double quotes
// around it, as a server name is written.
std::string unquoted(std::string_view line) {
  std::string_view text = text::trim_blanks(line);
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
  return std::string(text);
}

}  // namespace

bool opens_lws_block(const std::vector<text::LineToken> &tokens) {
  return !tokens.empty() && tokens[0].text.front() == '{';
}

LwsNestedBlock read_lws_nested_block(const LwsSceneFile &file, int open, int enclosing_open,
                                     const std::string &enclosing_name) {
  const int line_count = static_cast<int>(file.line_count());
  const auto fail = [&](int line_index, const std::string &message) {
    throw SceneFileError(file.file_name(), line_index + 1, message);
  };
  LwsNestedBlock block;
  block.open_line = open;
  block.name = block_name(text::split_tokens(file.line_text(open)));
  const std::size_t enclosing_indent = indentation(file.line_text(enclosing_open));
  const bool indented = indentation(file.line_text(open)) > enclosing_indent;
  // The opening lines of this block and of those open inside it.
  std::vector<int> open_lines = {open};
  for (int index = open + 1; !open_lines.empty(); ++index) {
    if (index >= line_count) {
      fail(open_lines.back(), "the block " + text::quoted_line(file.line_text(open_lines.back())) +
                                  " opened here is not closed: expected a line '}' before the end of file");
    }
    const std::string_view text = file.line_text(index);
    text::LineToken words[2];
    const std::size_t count = first_tokens(text, words, 2);
    if (count == 0) continue;
    if (words[0].text == "}" && count == 1) {
      if (indented && indentation(text) <= enclosing_indent) {
        fail(open_lines.back(), "the block " + text::quoted_line(file.line_text(open_lines.back())) +
                                    " opened here is not closed: expected a line '}' before line " +
                                    std::to_string(index + 1) + ", whose '}' is indented as the " +
                                    enclosing_name + " of line " + std::to_string(enclosing_open + 1) +
                                    " and closes it");
      }
      open_lines.pop_back();
      block.close_line = index;
    } else if (words[0].text.front() == '{') {
      open_lines.push_back(index);
    }
  }
  block.server = block.name;
  if (block.name == kChannelHandler && open + 1 < block.close_line) {
    const auto first = text::split_tokens(file.line_text(open + 1));
    if (!first.empty() && !opens_lws_block(first)) {
      std::string server = unquoted(file.line_text(open + 1));
      if (!server.empty()) block.server = std::move(server);
    }
  }
  if (block.server.empty()) block.server = std::string(text::trim_blanks(file.line_text(open)));
  return block;
}

}  // namespace scene_files
