#include "host/process_memory.h"

#include <malloc.h>

namespace host {
namespace {

// Blocks below this size come from the heap, not from their own mapping.
constexpr int kLargestHeapBlock = 256 * 1024 * 1024;
// The heap is given back to the system only when this much is free at its top.
constexpr int kKeptFreeHeap = 512 * 1024 * 1024;

}  // namespace

bool tune_allocator_for_large_scenes() {
#if defined(__GLIBC__)
  const bool mapped = mallopt(M_MMAP_THRESHOLD, kLargestHeapBlock) == 1;
  const bool trimmed = mallopt(M_TRIM_THRESHOLD, kKeptFreeHeap) == 1;
  return mapped && trimmed;
#else
  return true;
#endif
}

}  // namespace host
