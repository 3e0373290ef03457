#include "text/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace text {

std::string shortest_double_text(double value) {
  // The "%g" text with the fewest significant digits that read back as
  // `value`, as trying "%.1g" to "%.17g" in turn finds it, without printing
  // the number seventeen times (a scene of millions of keys writes many):
  // the shortest scientific form tells how many digits that takes.
  char text[40];
  int digits = 17;
  const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific);
  if (error == std::errc()) {
    digits = 0;
    for (const char *c = text; c != end && *c != 'e'; ++c) digits += (*c >= '0' && *c <= '9') ? 1 : 0;
  }
  // As "%.*g" prints it (the standard's own definition of this call).
  const auto printed =
      std::to_chars(text, text + sizeof text, value, std::chars_format::general, std::max(digits, 1));
  return std::string(text, printed.ptr);
}

bool parse_double_token(std::string_view token, double &value) {
  if (!token.empty() && token.front() == '+') token.remove_prefix(1);
  if (token.empty() || token.front() == '+' || token.front() == ' ') return false;
  double parsed = 0.0;
  const char *end = token.data() + token.size();
  auto [stop, error] = std::from_chars(token.data(), end, parsed, std::chars_format::general);
  if (error != std::errc() || stop != end || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}

bool parse_integer_token(std::string_view token, long long &value) {
  if (!token.empty() && token.front() == '+') token.remove_prefix(1);
  if (token.empty() || token.front() == '+') return false;
  long long parsed = 0;
  const char *end = token.data() + token.size();
  auto [stop, error] = std::from_chars(token.data(), end, parsed, 10);
  if (error != std::errc() || stop != end) return false;
  value = parsed;
  return true;
}

bool parse_hex_id_token(std::string_view token, std::uint32_t &id) {
  if (token.empty() || token.size() > 8) return false;
  std::uint32_t parsed = 0;
  const char *end = token.data() + token.size();
  auto [stop, error] = std::from_chars(token.data(), end, parsed, 16);
  if (error != std::errc() || stop != end) return false;
  id = parsed;
  return true;
}

std::string hex_id_text(std::uint32_t id) {
  char text[16];
  std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(id));
  return text;
}

}  // namespace text
