#include "host/process_memory.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <thread>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TAVORIX_SANITIZER_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define TAVORIX_SANITIZER_ALLOCATOR 1
#endif
#endif

namespace {

long minor_page_faults() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return usage.ru_minflt;
}

// What a scan does with its working set: a few megabytes allocated, filled
// and freed, once per command. After the first command the memory must be
// the process's own, not mapped afresh (a page fault for every 4 KiB).
TEST(ProcessMemory, ALargeWorkingSetIsReusedByTheNextCommand) {
#ifdef TAVORIX_SANITIZER_ALLOCATOR
  GTEST_SKIP() << "the sanitizer's allocator replaces the C library's here";
#endif
  ASSERT_TRUE(host::tune_allocator_for_large_scenes());
  constexpr std::size_t kBytes = 8u << 20;
  auto one_command = [] {
    std::unique_ptr<char[]> block(new char[kBytes]);
    std::memset(block.get(), 1, kBytes);
    return block[kBytes / 2];
  };
  one_command();
  const long before = minor_page_faults();
  for (int i = 0; i < 4; ++i) one_command();
  // Four fresh mappings would fault 8,192 times.
  EXPECT_LT(minor_page_faults() - before, 64);

  // The same when the block is made on a worker thread and freed on this one,
  // as the scan's stages do.
  auto made_elsewhere = [] {
    std::unique_ptr<char[]> block;
    std::thread([&block] {
      block.reset(new char[kBytes]);
      std::memset(block.get(), 1, kBytes);
    }).join();
    return block;
  };
  made_elsewhere();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const long process_before = usage.ru_minflt;
  for (int i = 0; i < 4; ++i) made_elsewhere();
  getrusage(RUSAGE_SELF, &usage);
  // Thread starts fault a little of their own (stack, thread-local storage).
  EXPECT_LT(usage.ru_minflt - process_before, 256);
}

}  // namespace
