#pragma once

#include <cstddef>
#include <new>

namespace KeyFrame {

// Allocates on cache-line boundaries (128 bytes, two lines, as the task
// library does against adjacent-line prefetch) so that records or tokens
// handled by different worker threads never share a line. Built on the
// standard aligned operator new, so a process's allocation hooks see every
// allocation of the working set.
template <typename T>
class CacheAlignedAllocator {
 public:
  using value_type = T;
  static constexpr std::align_val_t kAlignment{128};

  CacheAlignedAllocator() noexcept = default;
  template <typename U>
  CacheAlignedAllocator(const CacheAlignedAllocator<U> &) noexcept {}

  T *allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    return static_cast<T *>(::operator new(n * sizeof(T), kAlignment));
  }
  void deallocate(T *p, std::size_t) noexcept { ::operator delete(p, kAlignment); }

  template <typename U>
  bool operator==(const CacheAlignedAllocator<U> &) const noexcept {
    return true;
  }
  template <typename U>
  bool operator!=(const CacheAlignedAllocator<U> &) const noexcept {
    return false;
  }
};

}  // namespace KeyFrame
