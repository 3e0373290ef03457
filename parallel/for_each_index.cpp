#include "parallel/for_each_index.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/environment.h"

namespace parallel {

unsigned default_thread_count() {
  const std::string given = platform::environment_variable("TAVORIX_THREADS");
  if (!given.empty()) {
    char *end = nullptr;
    const unsigned long count = std::strtoul(given.c_str(), &end, 10);
    if (end != given.c_str() && *end == '\0' && count >= 1 && count <= 1024)
      return static_cast<unsigned>(count);
  }
  return std::max(1u, std::thread::hardware_concurrency());
}

void for_each_index(std::size_t count, const std::function<void(std::size_t)> &work, unsigned threads) {
  const std::size_t workers = std::min<std::size_t>(std::max(threads, 1u), count);
  if (workers <= 1) {
    for (std::size_t i = 0; i < count; ++i) work(i);
    return;
  }
  std::atomic<std::size_t> next{0};
  std::atomic<bool> failed{false};
  std::mutex failure_lock;
  std::size_t failed_index = count;
  std::exception_ptr failure;
  auto run = [&] {
    for (;;) {
      if (failed.load(std::memory_order_acquire)) return;
      const std::size_t i = next.fetch_add(1, std::memory_order_relaxed);
      if (i >= count) return;
      try {
        work(i);
      } catch (...) {
        const std::lock_guard<std::mutex> hold(failure_lock);
        if (i < failed_index) {
          failed_index = i;
          failure = std::current_exception();
        }
        failed.store(true, std::memory_order_release);
      }
    }
  };
  std::vector<std::thread> helpers;
  helpers.reserve(workers - 1);
  try {
    for (std::size_t t = 1; t < workers; ++t) helpers.emplace_back(run);
  } catch (...) {
    // No thread (or no memory for one) to be had: the ones started and this
    // one do the work, and every started one is joined below.
  }
  run();
  for (std::thread &helper : helpers) helper.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace parallel
