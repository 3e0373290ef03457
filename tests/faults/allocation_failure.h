#pragma once

#include <cstdint>

namespace testing_support {

// Makes the n-th allocation through operator new (any form) after arming
// throw std::bad_alloc. This test program replaces the global operator new;
// being linked with exported symbols, a module it dlopens binds to the
// replacement too, so allocations inside module calls are counted.
class AllocationFailure {
 public:
  // Arms: allocation number `n` (1 = the next one) throws, later ones succeed.
  static void fail_at(std::uint64_t n);
  // Disarms and returns how many allocations were made while armed.
  static std::uint64_t disarm();
  // Whether the armed allocation has been reached (and thrown).
  static bool triggered();
};

// Arms for one scope.
class ScopedAllocationFailure {
 public:
  explicit ScopedAllocationFailure(std::uint64_t n) { AllocationFailure::fail_at(n); }
  ~ScopedAllocationFailure() { AllocationFailure::disarm(); }
  ScopedAllocationFailure(const ScopedAllocationFailure &) = delete;
  ScopedAllocationFailure &operator=(const ScopedAllocationFailure &) = delete;
};

}  // namespace testing_support
