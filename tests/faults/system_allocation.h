#pragma once

#include <cstddef>

// The system's side of the fault sweeps' allocator, one small file per
// platform (system_allocation_posix.cpp, system_allocation_windows.cpp).
namespace testing_support::system_allocation {

// `size` bytes (at least one) aligned to `alignment` (0: the standard
// alignment), or null.
void *allocate(std::size_t size, std::size_t alignment);

// Frees what allocate() returned; `alignment` as it was asked for.
void release(void *p, std::size_t alignment);

// Whether the code at `caller` belongs to the task library, whose own
// allocations are never made to fail.
bool inside_task_library(void *caller);

}  // namespace testing_support::system_allocation
