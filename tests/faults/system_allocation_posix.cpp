#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

#include "faults/system_allocation.h"

namespace testing_support::system_allocation {

void *allocate(std::size_t size, std::size_t alignment) {
  if (alignment <= alignof(std::max_align_t)) return std::malloc(size);
  void *p = nullptr;
  return posix_memalign(&p, alignment, size) == 0 ? p : nullptr;
}

void release(void *p, std::size_t /*alignment*/) { std::free(p); }

// The task library is a shared library of its own here.
bool inside_task_library(void *caller) {
  Dl_info info;
  return dladdr(caller, &info) != 0 && info.dli_fname != nullptr &&
         std::strstr(info.dli_fname, "libtbb") != nullptr;
}

}  // namespace testing_support::system_allocation
