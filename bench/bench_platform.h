#pragma once

// What the benchmarks ask of the system: clocks and the sizes of heap
// blocks. One file per platform (bench_platform_posix.cpp,
// bench_platform_windows.cpp).

#include <cstddef>
#include <string>
#include <vector>

namespace bench_support {

// CPU time of the calling thread, and of the whole process, in seconds.
double thread_cpu_seconds();
double process_cpu_seconds();

// The clock that side-by-side timings read: the calling thread's CPU time
// where the system keeps it to the microsecond, so that time the thread
// spends descheduled on a busy machine is not counted; elsewhere the
// monotonic wall clock.
double side_by_side_seconds();

// Heap blocks as operator new gets them: `allocate` and `allocate_aligned`
// answer nullptr when out of memory; a block from one is released and sized
// by its own pair.
void *allocate(std::size_t size) noexcept;
void release(void *p) noexcept;
std::size_t allocated_size(void *p) noexcept;
void *allocate_aligned(std::size_t size, std::size_t alignment) noexcept;
void release_aligned(void *p) noexcept;
std::size_t allocated_size_aligned(void *p, std::size_t alignment) noexcept;

// Runs `program` with `arguments`, its output thrown away, and waits for it.
struct ProgramRun {
  int exit_code = -1;    // -1 when it could not be started or did not exit
  double seconds = 0.0;  // wall clock, from start to exit
  // The most memory it held at once (resident set), in bytes; -1 where the
  // system does not tell a child's.
  double peak_bytes = -1.0;
};
ProgramRun run_program(const std::string &program, const std::vector<std::string> &arguments);

}  // namespace bench_support
