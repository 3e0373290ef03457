#pragma once

#include <chrono>
#include <filesystem>
#include <iterator>
#include <thread>

namespace testing_support {

// Threads of this process, as the kernel lists them.
inline int thread_count() {
  const std::filesystem::directory_iterator tasks("/proc/self/task");
  return static_cast<int>(std::distance(begin(tasks), end(tasks)));
}

// The thread count once it has come down to `expected`, or whatever it is
// after two seconds. A joined thread can still be listed for a moment: the
// kernel wakes the joining thread before it has finished removing the
// exiting one, and on a busy machine that moment grows.
inline int thread_count_settled_at(int expected) {
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  int n = thread_count();
  while (n > expected && std::chrono::steady_clock::now() < give_up) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    n = thread_count();
  }
  return n;
}

}  // namespace testing_support
