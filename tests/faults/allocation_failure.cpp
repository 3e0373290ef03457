#include "faults/allocation_failure.h"

#include <atomic>
#include <cstddef>
#include <new>

#include "faults/system_allocation.h"
#include "host/host_call_scope.h"
#include "module/export.h"

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
  return host::HostCallScope::active() || system_allocation::inside_task_library(caller);
}

// Whether this allocation is the one armed to fail.
bool fails_now(void *caller, bool aligned) {
  if (!armed.load(std::memory_order_relaxed)) return false;
  if (!aligned && aligned_only.load(std::memory_order_relaxed)) return false;
  if (exempt(caller)) return false;
  if (count.fetch_add(1) + 1 == fail_number.load()) {
    fired = true;
    return true;
  }
  return false;
}

// The allocation, or null for the one armed to fail and when memory is out.
void *counted_allocation(std::size_t size, std::size_t alignment, void *caller) {
  if (fails_now(caller, alignment != 0)) return nullptr;
  return system_allocation::allocate(size == 0 ? 1 : size, alignment);
}

__attribute__((always_inline)) inline void *allocate(std::size_t size, std::size_t alignment) {
  void *p = counted_allocation(size, alignment, __builtin_return_address(0));
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

// For a module file with allocation functions of its own (on Windows, where
// a DLL does not bind to this program's operator new): they forward here
// (module_side/allocation_forwarding.cpp).
extern "C" TAVORIX_EXPORT void *tavorix_testing_allocate(std::size_t size, std::size_t alignment,
                                                         void *caller) {
  return testing_support::counted_allocation(size, alignment, caller);
}
extern "C" TAVORIX_EXPORT void tavorix_testing_release(void *p, std::size_t alignment) {
  testing_support::system_allocation::release(p, alignment);
}

using testing_support::allocate;
using testing_support::system_allocation::release;

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
void operator delete(void *p) noexcept { release(p, 0); }
void operator delete[](void *p) noexcept { release(p, 0); }
void operator delete(void *p, std::size_t) noexcept { release(p, 0); }
void operator delete[](void *p, std::size_t) noexcept { release(p, 0); }
void operator delete(void *p, std::align_val_t a) noexcept { release(p, static_cast<std::size_t>(a)); }
void operator delete[](void *p, std::align_val_t a) noexcept { release(p, static_cast<std::size_t>(a)); }
void operator delete(void *p, std::size_t, std::align_val_t a) noexcept {
  release(p, static_cast<std::size_t>(a));
}
void operator delete[](void *p, std::size_t, std::align_val_t a) noexcept {
  release(p, static_cast<std::size_t>(a));
}
