// The benchmarks' clocks and heap blocks on Windows.
//
// Windows keeps a thread's CPU time in scheduler ticks, and Wine reads it
// from the system's per-thread statistics in hundredths of a second at the
// cost of a call into its server (about 0.2 ms): too coarse and too slow to
// time calls of a millisecond. Side-by-side timings therefore read the
// monotonic wall clock here; the CPU times serve only the counters that add
// up whole scans.
#include <malloc.h>
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>

#include "bench/bench_platform.h"

namespace bench_support {
namespace {

double seconds_of(const FILETIME &kernel, const FILETIME &user) {
  auto ticks = [](const FILETIME &t) {
    return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
  };
  return 1e-7 * (ticks(kernel) + ticks(user));  // 100 ns ticks
}

}  // namespace

double thread_cpu_seconds() {
  FILETIME created, exited, kernel, user;
  if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0.0;
  return seconds_of(kernel, user);
}

double process_cpu_seconds() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0.0;
  return seconds_of(kernel, user);
}

double side_by_side_seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void *allocate(std::size_t size) noexcept { return std::malloc(size == 0 ? 1 : size); }

void release(void *p) noexcept { std::free(p); }

std::size_t allocated_size(void *p) noexcept { return _msize(p); }

// An aligned block is carved out of a malloc block with room to align it,
// whose address is kept just below the aligned one: msvcrt.dll has no size
// query for the blocks of _aligned_malloc.
void *allocate_aligned(std::size_t size, std::size_t alignment) noexcept {
  if (alignment < sizeof(void *)) alignment = sizeof(void *);
  void *block = std::malloc(size + alignment + sizeof(void *));
  if (block == nullptr) return nullptr;
  const std::uintptr_t after_header = reinterpret_cast<std::uintptr_t>(block) + sizeof(void *);
  const std::uintptr_t aligned = (after_header + alignment - 1) & ~(std::uintptr_t{alignment} - 1);
  reinterpret_cast<void **>(aligned)[-1] = block;
  return reinterpret_cast<void *>(aligned);
}

void release_aligned(void *p) noexcept { std::free(static_cast<void **>(p)[-1]); }

std::size_t allocated_size_aligned(void *p, std::size_t) noexcept {
  return _msize(static_cast<void **>(p)[-1]);
}

ProgramRun run_program(const std::string &program, const std::vector<std::string> &arguments) {
  // Through the command interpreter, which throws the output away; the
  // arguments are paths and words without quotes.
  std::string line = "\"\"" + program + "\"";
  for (const std::string &argument : arguments) line += " \"" + argument + "\"";
  line += " >NUL 2>&1\"";
  ProgramRun run;
  const auto start = std::chrono::steady_clock::now();
  run.exit_code = std::system(line.c_str());
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return run;
}

}  // namespace bench_support
