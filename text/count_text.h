#pragma once

#include <string>

namespace text {

// A count with its noun in the right number: "1 key", "3 keys", "0 keys".
inline std::string counted(long long count, const char *one, const char *many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace text
