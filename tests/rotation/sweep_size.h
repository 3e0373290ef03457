#pragma once

// How many cases a sweep runs: its full count in a normal build, a twentieth
// under a sanitizer (which runs such arithmetic 5 to 20 times slower), at
// least 1000. TAVORIX_SWEEP_SCALE multiplies the count, for a longer sweep
// run by hand.

#include <algorithm>
#include <cstdlib>

namespace KeyFrame::test {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kSanitizerDivisor = 20;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr int kSanitizerDivisor = 20;
#else
constexpr int kSanitizerDivisor = 1;
#endif
#else
constexpr int kSanitizerDivisor = 1;
#endif

inline int sweep_cases(int full_count) {
  double scale = 1.0;
  if (const char *text = std::getenv("TAVORIX_SWEEP_SCALE")) scale = std::max(0.001, std::atof(text));
  return std::max(1000, static_cast<int>(full_count * scale) / kSanitizerDivisor);
}

}  // namespace KeyFrame::test
