#pragma once

#include <cstdint>

namespace testing_support {

// Makes the n-th allocation through operator new (any form) after arming
// throw std::bad_alloc. This test program replaces the global operator new;
// being linked with exported symbols, a module it dlopens binds to the
// replacement too, so allocations inside module calls are counted.
class AllocationFailure {
 public:
  // Which allocations count: all of them, or only the aligned ones (the
  // module's working set and tokens, which its cache-aligned allocator makes).
  enum class Counted { All, AlignedOnly };

  // Arms: counted allocation number `n` (1 = the next one) throws, later ones
  // succeed.
  static void fail_at(std::uint64_t n, Counted counted = Counted::All);
  // Disarms and returns how many allocations were made while armed.
  static std::uint64_t disarm();
  // Whether the armed allocation has been reached (and thrown).
  static bool triggered();
};

// Arms for one scope.
class ScopedAllocationFailure {
 public:
  explicit ScopedAllocationFailure(std::uint64_t n,
                                   AllocationFailure::Counted counted = AllocationFailure::Counted::All) {
    AllocationFailure::fail_at(n, counted);
  }
  ~ScopedAllocationFailure() { AllocationFailure::disarm(); }
  ScopedAllocationFailure(const ScopedAllocationFailure &) = delete;
  ScopedAllocationFailure &operator=(const ScopedAllocationFailure &) = delete;
};

}  // namespace testing_support
