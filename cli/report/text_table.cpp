#include "cli/report/text_table.h"

#include <algorithm>

namespace cli::report {
namespace {

// Characters of UTF-8 text: every byte that does not continue a sequence.
std::size_t display_width(const std::string &text) {
  return static_cast<std::size_t>(std::count_if(
      text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

}  // namespace

void TextTable::print(std::ostream &out, const std::string &indent) const {
  std::vector<std::size_t> widths;
  for (const auto &row : rows_) {
    if (widths.size() < row.size()) widths.resize(row.size(), 0);
    for (std::size_t column = 0; column < row.size(); ++column) {
      widths[column] = std::max(widths[column], display_width(row[column]));
    }
  }
  for (const auto &row : rows_) {
    std::string line = indent;
    for (std::size_t column = 0; column < row.size(); ++column) {
      const std::string padding(widths[column] - display_width(row[column]), ' ');
      if (column == 0) {
        line += row[column] + padding;
      } else {
        line += "  " + padding + row[column];
      }
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out << line << '\n';
  }
}

}  // namespace cli::report
