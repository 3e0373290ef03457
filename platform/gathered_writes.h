#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Writes `pieces` one after another through `write(data, size)`, which
// writes all of it or returns false: small pieces gathered into writes of
// about a mebibyte, large ones written as they are. A scene rewritten in a
// hundred thousand places is that many pieces; one system call each would
// cost more than the writing.
template <class Write>
bool write_gathered(const std::vector<std::string_view> &pieces, Write &&write) {
  constexpr std::size_t kGathered = std::size_t{1} << 20;
  std::string gathered;
  const auto flush = [&] {
    const bool ok = gathered.empty() || write(gathered.data(), gathered.size());
    gathered.clear();
    return ok;
  };
  for (std::string_view piece : pieces) {
    if (piece.size() >= kGathered / 4) {
      if (!flush() || !write(piece.data(), piece.size())) return false;
      continue;
    }
    if (gathered.size() + piece.size() > kGathered && !flush()) return false;
    if (gathered.capacity() < kGathered) gathered.reserve(kGathered);
    gathered.append(piece);
  }
  return flush();
}

}  // namespace platform
