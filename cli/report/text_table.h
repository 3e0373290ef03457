#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace cli::report {

// Rows of words printed in aligned columns: the first column left-aligned,
// the others right-aligned, two blanks apart. Widths count characters, not
// bytes, so "°" and "→" line up.
class TextTable {
 public:
  explicit TextTable(std::vector<std::string> header) { rows_.push_back(std::move(header)); }
  void add_row(std::vector<std::string> row) { rows_.push_back(std::move(row)); }
  void print(std::ostream &out, const std::string &indent = "") const;

 private:
  std::vector<std::vector<std::string>> rows_;
};

}  // namespace cli::report
