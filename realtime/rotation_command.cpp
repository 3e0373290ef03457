#include "realtime/rotation_command.h"

#include <cstdlib>
#include <cstring>

namespace KeyFrame {
namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;

// The text after the first blank, or the whole text when it has none.
std::string after_first_blank(const std::string &text) {
  const std::size_t blank = text.find(' ');
  return blank == std::string::npos ? text : text.substr(blank + 1);
}

// The text before the first blank, or the whole text when it has none.
std::string before_first_blank(const std::string &text) { return text.substr(0, text.find(' ')); }

double degrees_to_radians(const std::string &field) {
  return std::strtod(field.c_str(), nullptr) * kRadiansPerDegree;
}

}  // namespace

bool begins_with(const std::string &text, const char *prefix) {
  const std::size_t length = std::strlen(prefix);
  return text.size() >= length && text.compare(0, length, prefix) == 0;
}

AngleTriple read_rotation_offset(const std::string &command) {
  AngleTriple offset;
  std::string rest = after_first_blank(command);  // drops the command word
  offset.heading = degrees_to_radians(before_first_blank(rest));
  rest = after_first_blank(rest);
  offset.pitch = degrees_to_radians(before_first_blank(rest));
  rest = after_first_blank(rest);
  offset.bank = degrees_to_radians(rest);
  return offset;
}

}  // namespace KeyFrame
