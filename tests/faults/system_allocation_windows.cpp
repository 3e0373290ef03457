#include <malloc.h>

#include <cstdlib>

#include "faults/system_allocation.h"

namespace testing_support::system_allocation {

// The C runtime (msvcrt.dll) is shared by this program and the module file,
// so either side may free what the other allocated.
void *allocate(std::size_t size, std::size_t alignment) {
  if (alignment <= alignof(std::max_align_t)) return std::malloc(size);
  return _aligned_malloc(size, alignment);
}

void release(void *p, std::size_t alignment) {
  if (alignment > alignof(std::max_align_t)) {
    _aligned_free(p);
  } else {
    std::free(p);
  }
}

// The task library is linked into the module file itself here, so its code
// cannot be told from the module's by address. It allocates through
// operator new only once per process (the processor groups, on its first
// start), before any sweep arms.
bool inside_task_library(void * /*caller*/) { return false; }

}  // namespace testing_support::system_allocation
