#include "host/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace host {

std::string shortest_double_text(double value) {
  char text[40];
  for (int digits = 1; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    double back = 0.0;
    if (parse_double_token(text, back) && back == value && std::signbit(back) == std::signbit(value)) break;
  }
  return text;
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

}  // namespace host
