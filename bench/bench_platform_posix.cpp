// The benchmarks' clocks and heap blocks on POSIX systems (glibc).
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

#include <chrono>
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

ProgramRun run_program(const std::string &program, const std::vector<std::string> &arguments) {
  ProgramRun run;
  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char *> argv;
  for (std::string &word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  const int refused = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (refused != 0) return run;
  int status = 0;
  rusage usage{};
  while (wait4(child, &status, 0, &usage) < 0) {
  }
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (WIFEXITED(status)) run.exit_code = WEXITSTATUS(status);
  run.peak_bytes = 1024.0 * static_cast<double>(usage.ru_maxrss);  // Linux counts KiB
  return run;
}

}  // namespace bench_support
