#include "platform/process_memory.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <thread>

#include "support/test_platform.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TAVORIX_SANITIZER_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define TAVORIX_SANITIZER_ALLOCATOR 1
#endif
#endif

namespace {

using testing_support::platform::minor_page_faults_of_this_process;
using testing_support::platform::minor_page_faults_of_this_thread;

// What a scan does with its working set: a few megabytes allocated, filled
// and freed, once per command. After the first command the memory must be
// the process's own, not mapped afresh (a page fault for every 4 KiB).
TEST(ProcessMemory, ALargeWorkingSetIsReusedByTheNextCommand) {
#ifdef TAVORIX_SANITIZER_ALLOCATOR
  GTEST_SKIP() << "the sanitizer's allocator replaces the C library's here";
#endif
  if (minor_page_faults_of_this_thread() < 0) {
    GTEST_SKIP() << "this system does not count a thread's minor page faults apart; the allocator "
                    "settings are glibc's (elsewhere the C library keeps its defaults)";
  }
  ASSERT_TRUE(platform::tune_allocator_for_large_scenes());
  constexpr std::size_t kBytes = 8u << 20;
  auto one_command = [] {
    std::unique_ptr<char[]> block(new char[kBytes]);
    std::memset(block.get(), 1, kBytes);
    return block[kBytes / 2];
  };
  one_command();
  const long before = minor_page_faults_of_this_thread();
  for (int i = 0; i < 4; ++i) one_command();
  // Four fresh mappings would fault 8,192 times.
  EXPECT_LT(minor_page_faults_of_this_thread() - before, 64);

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
  const long process_before = minor_page_faults_of_this_process();
  for (int i = 0; i < 4; ++i) made_elsewhere();
  // Thread starts fault a little of their own (stack, thread-local storage).
  EXPECT_LT(minor_page_faults_of_this_process() - process_before, 256);
}

}  // namespace
