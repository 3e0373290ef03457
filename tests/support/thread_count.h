#pragma once

#include <chrono>
#include <thread>

#include "support/test_platform.h"

namespace testing_support {

// Threads of this process, as the system lists them.
inline int thread_count() { return platform::thread_count(); }

// A joined thread can still be listed for a while: the kernel wakes the
// joining thread before it has finished removing the exiting one, and on a
// busy machine that while grows. The bounds below are generous; the waits
// end as soon as the count is where it should be.

// The thread count once no exiting thread is still listed: once the count
// has stayed the same for a quarter of a second (or after ten seconds).
// Use it for a baseline taken just after threads have ended.
inline int thread_count_at_rest() {
  using Clock = std::chrono::steady_clock;
  const auto give_up = Clock::now() + std::chrono::seconds(10);
  int n = thread_count();
  auto unchanged_since = Clock::now();
  while (Clock::now() < give_up && Clock::now() - unchanged_since < std::chrono::milliseconds(250)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const int now = thread_count();
    if (now != n) {
      n = now;
      unchanged_since = Clock::now();
    }
  }
  return n;
}

// The thread count once it has come down to `expected`, or whatever it is
// after ten seconds.
inline int thread_count_settled_at(int expected) {
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  int n = thread_count();
  while (n > expected && std::chrono::steady_clock::now() < give_up) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    n = thread_count();
  }
  return n;
}

}  // namespace testing_support
