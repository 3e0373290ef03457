#include "platform/process_memory.h"

#include <malloc.h>

namespace platform {
namespace {

// Blocks below this size come from the heap, not from a mapping of their own
// (the largest value glibc accepts).
constexpr int kLargestHeapBlock = 32 * 1024 * 1024;
// The heap is given back to the system only when this much is free at its top.
constexpr int kKeptFreeHeap = 1024 * 1024 * 1024;

}  // namespace

bool tune_allocator_for_large_scenes() {
#if defined(__GLIBC__)
  // One heap for all threads: the scan's working set is allocated on one
  // thread and freed on another. With a heap per thread a scan of 100 items
  // of 100,000 keys took 1.18 times as long, its threads idle part of the
  // time, and no longer grew linearly with the keys.
  const bool one_arena = mallopt(M_ARENA_MAX, 1) == 1;
  const bool mapped = mallopt(M_MMAP_THRESHOLD, kLargestHeapBlock) == 1;
  const bool trimmed = mallopt(M_TRIM_THRESHOLD, kKeptFreeHeap) == 1;
  return one_arena && mapped && trimmed;
#else
  return true;
#endif
}

}  // namespace platform
