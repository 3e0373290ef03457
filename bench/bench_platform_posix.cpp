// The benchmarks' clocks and heap blocks on POSIX systems (glibc).
#include <malloc.h>
#include <sys/resource.h>
#include <time.h>

#include <cstdlib>

#include "bench/bench_platform.h"

namespace bench_support {

double thread_cpu_seconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

double process_cpu_seconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval &t) {
    return static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_usec);
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double side_by_side_seconds() { return thread_cpu_seconds(); }

void *allocate(std::size_t size) noexcept { return std::malloc(size == 0 ? 1 : size); }

void release(void *p) noexcept { std::free(p); }

std::size_t allocated_size(void *p) noexcept { return malloc_usable_size(p); }

void *allocate_aligned(std::size_t size, std::size_t alignment) noexcept {
  const std::size_t at_least_a_pointer = alignment < sizeof(void *) ? sizeof(void *) : alignment;
  void *p = nullptr;
  return posix_memalign(&p, at_least_a_pointer, size == 0 ? 1 : size) == 0 ? p : nullptr;
}

void release_aligned(void *p) noexcept { std::free(p); }

std::size_t allocated_size_aligned(void *p, std::size_t) noexcept { return malloc_usable_size(p); }

}  // namespace bench_support
