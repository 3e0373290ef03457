// The allocation functions of the module file the fault sweeps load on
// Windows. There a DLL's operator new is its own C++ runtime's (linked in
// statically), not the test program's replacement as on systems where the
// dynamic linker binds the module to the program's symbols; so this module
// forwards each allocation to the program that loaded it, which counts it
// and may make it fail. Loaded by a program without those functions, it
// allocates from the C runtime itself, as the forwarded ones do (the C
// runtime, msvcrt.dll, is one for the program and the module, so either
// may free what the other allocated).
#include <malloc.h>
#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

using Allocate = void *(std::size_t size, std::size_t alignment, void *caller);
using Release = void(void *p, std::size_t alignment);

void *own_allocate(std::size_t size, std::size_t alignment, void *) {
  if (size == 0) size = 1;
  return alignment <= alignof(std::max_align_t) ? std::malloc(size) : _aligned_malloc(size, alignment);
}

void own_release(void *p, std::size_t alignment) {
  if (alignment > alignof(std::max_align_t)) {
    _aligned_free(p);
  } else {
    std::free(p);
  }
}

template <typename Function>
Function *program_function(const char *name, Function *fallback) {
  FARPROC found = GetProcAddress(GetModuleHandleW(nullptr), name);
  return found != nullptr ? reinterpret_cast<Function *>(reinterpret_cast<void *>(found)) : fallback;
}

Allocate *allocate_function() {
  static Allocate *const function = program_function<Allocate>("tavorix_testing_allocate", own_allocate);
  return function;
}

Release *release_function() {
  static Release *const function = program_function<Release>("tavorix_testing_release", own_release);
  return function;
}

__attribute__((always_inline)) inline void *allocate(std::size_t size, std::size_t alignment) {
  void *p = allocate_function()(size, alignment, __builtin_return_address(0));
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

void release(void *p, std::size_t alignment) {
  if (p != nullptr) release_function()(p, alignment);
}

}  // namespace

void *operator new(std::size_t size) { return allocate(size, 0); }
void *operator new[](std::size_t size) { return allocate(size, 0); }
void *operator new(std::size_t size, std::align_val_t a) {
  return allocate(size, static_cast<std::size_t>(a));
}
void *operator new[](std::size_t size, std::align_val_t a) {
  return allocate(size, static_cast<std::size_t>(a));
}
// The module never asks for memory this way; the C++ runtime does, for its
// own bookkeeping (registering a thread's exit destructors), and carries on
// without when it gets none. Those allocations are not the module's, and
// are not counted.
void *operator new(std::size_t size, const std::nothrow_t &) noexcept {
  return own_allocate(size, 0, nullptr);
}
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept {
  return own_allocate(size, 0, nullptr);
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
