// Work spread over threads, index by index: every index once, and a failure
// told as a plain loop would tell it.

#include "parallel/for_each_index.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "support/test_platform.h"

namespace {

TEST(ForEachIndex, CallsEveryIndexOnceWhateverTheThreadCount) {
  for (unsigned threads : {0u, 1u, 2u, 7u}) {
    for (std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{5000}}) {
      std::vector<std::atomic<int>> calls(count);
      parallel::for_each_index(
          count, [&](std::size_t i) { ++calls[i]; }, threads);
      for (std::size_t i = 0; i < count; ++i) {
        ASSERT_EQ(calls[i].load(), 1) << "index " << i << " of " << count << " on " << threads << " threads";
      }
    }
  }
}

TEST(ForEachIndex, ThrowsTheFailureOfTheLowestIndexAfterEveryCallHasReturned) {
  for (unsigned threads : {1u, 2u, 4u}) {
    std::atomic<int> running{0};
    std::atomic<bool> overlapped_the_end{false};
    try {
      parallel::for_each_index(
          64,
          [&](std::size_t i) {
            ++running;
            // The lower failure takes longer, so that on several threads the
            // higher one is usually thrown first.
            if (i == 5) {
              std::this_thread::sleep_for(std::chrono::milliseconds(30));
              --running;
              throw std::runtime_error("index 5");
            }
            if (i == 9) {
              --running;
              throw std::runtime_error("index 9");
            }
            --running;
          },
          threads);
      ADD_FAILURE() << "nothing thrown on " << threads << " threads";
    } catch (const std::runtime_error &error) {
      EXPECT_EQ(std::string(error.what()), "index 5") << threads << " threads";
      overlapped_the_end = running.load() != 0;
    }
    EXPECT_FALSE(overlapped_the_end.load()) << "a call was still running when the failure was thrown";
  }
}

TEST(ForEachIndex, TakesItsThreadCountFromTheEnvironmentWhenItIsAWholeNumber) {
  using testing_support::platform::set_environment_variable;
  set_environment_variable("TAVORIX_THREADS", "3");
  EXPECT_EQ(parallel::default_thread_count(), 3u);
  set_environment_variable("TAVORIX_THREADS", "1");
  EXPECT_EQ(parallel::default_thread_count(), 1u);
  // Anything else leaves the count to the processor.
  set_environment_variable("TAVORIX_THREADS", "");
  const unsigned cores = parallel::default_thread_count();
  EXPECT_GE(cores, 1u);
  for (const char *ignored : {"0", "two", "3x", "-2"}) {
    set_environment_variable("TAVORIX_THREADS", ignored);
    EXPECT_EQ(parallel::default_thread_count(), cores) << ignored;
  }
  set_environment_variable("TAVORIX_THREADS", "");
}

}  // namespace
