#include "faults/allocation_failure.h"

#include <dlfcn.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

#include "host/host_call_scope.h"

namespace testing_support {
namespace {

std::atomic<bool> armed{false};
std::atomic<std::uint64_t> count{0};
std::atomic<std::uint64_t> fail_number{0};
std::atomic<bool> fired{false};
std::atomic<bool> aligned_only{false};

// Allocations of the task library's own internals are left alone: a failure
// injected inside its scheduler leaves it unable to shut its workers down
// (its finalize then waits forever), which is the library's state to keep,
// not the module's. The host's callbacks are left alone too.
bool exempt(void *caller) {
  if (host::HostCallScope::active()) return true;
  Dl_info info;
  return dladdr(caller, &info) != 0 && info.dli_fname != nullptr &&
         std::strstr(info.dli_fname, "libtbb") != nullptr;
}

void maybe_fail(void *caller, bool aligned) {
  if (!armed.load(std::memory_order_relaxed)) return;
  if (!aligned && aligned_only.load(std::memory_order_relaxed)) return;
  if (exempt(caller)) return;
  if (count.fetch_add(1) + 1 == fail_number.load()) {
    fired = true;
    throw std::bad_alloc();
  }
}

__attribute__((always_inline)) inline void *allocate(std::size_t size, std::size_t alignment) {
  maybe_fail(__builtin_return_address(0), alignment != 0);
  if (size == 0) size = 1;
  void *p = nullptr;
  if (alignment <= alignof(std::max_align_t)) {
    p = std::malloc(size);
  } else if (posix_memalign(&p, alignment, size) != 0) {
    p = nullptr;
  }
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

}  // namespace

void AllocationFailure::fail_at(std::uint64_t n, Counted counted) {
  aligned_only = counted == Counted::AlignedOnly;
  count = 0;
  fired = false;
  fail_number = n;
  armed = true;
}

std::uint64_t AllocationFailure::disarm() {
  armed = false;
  return count.load();
}

bool AllocationFailure::triggered() { return fired.load(); }

}  // namespace testing_support

using testing_support::allocate;

void *operator new(std::size_t size) { return allocate(size, 0); }
void *operator new[](std::size_t size) { return allocate(size, 0); }
void *operator new(std::size_t size, std::align_val_t a) {
  return allocate(size, static_cast<std::size_t>(a));
}
void *operator new[](std::size_t size, std::align_val_t a) {
  return allocate(size, static_cast<std::size_t>(a));
}
void *operator new(std::size_t size, const std::nothrow_t &) noexcept {
  try {
    return allocate(size, 0);
  } catch (...) {
    return nullptr;
  }
}
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept {
  try {
    return allocate(size, 0);
  } catch (...) {
    return nullptr;
  }
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t) noexcept { std::free(p); }
void operator delete(void *p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void *p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void *p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t, std::align_val_t) noexcept { std::free(p); }
