#include "scene_files/lws_order_lines.h"

#include "text/printable_text.h"

namespace scene_files {
namespace {

constexpr std::size_t kQuotedLineLimit = 60;

bool contains_order(std::string_view word) {
  static constexpr std::string_view kOrder = "order";
  if (word.size() < kOrder.size()) return false;
  for (std::size_t start = 0; start + kOrder.size() <= word.size(); ++start) {
    bool same = true;
    for (std::size_t i = 0; i < kOrder.size() && same; ++i) {
      const char c = word[start + i];
      same = (c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) == kOrder[i];
    }
    if (same) return true;
  }
  return false;
}

}  // namespace

// Keywords of LightWave scene files that name an order other than a
// rotation order: the reader knows them, and they hold nothing.
// SubdivisionOrder: when an object's subdivision is applied (before or after
// morphs, bones, displacements).
bool is_known_other_order(std::string_view word) { return word == "SubdivisionOrder"; }

bool names_rotation_order(const std::vector<text::LineToken> &tokens) {
  if (tokens.empty()) return false;
  const std::string_view word = tokens[0].text;
  if (is_known_other_order(word)) return false;
  if (contains_order(word)) return true;
  // "{ RotationOrder" or "{RotationOrder": a block named after its brace.
  return word.front() == '{' && word.size() == 1 && tokens.size() > 1 && contains_order(tokens[1].text);
}

std::string held_item_message(const LwsSceneFile &file, const LwsSceneFile::ItemSource &item) {
  const std::string line =
      text::quoted_token(text::trim_blanks(file.line_text(item.order_line)), kQuotedLineLimit);
  const bool before_items = item.order_line < item.declaration_line;
  return file.file_name() + ":" + std::to_string(item.order_line + 1) + ": '" + text::printable(item.name) +
         "' is kept as it was: " + line + (before_items ? ", a setting of the whole scene," : "") +
         " names a rotation order, which tavorix cannot read from a .lws file; none of its keys is rewritten";
}

}  // namespace scene_files
