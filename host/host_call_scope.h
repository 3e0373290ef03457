#pragma once

namespace host {

// Marks the calling thread as running the host's own code for one scope: the
// service callbacks a module calls set it. Lets a test that injects
// allocation failures into a module call tell the module's allocations from
// the host's.
class HostCallScope {
 public:
  HostCallScope() noexcept { ++depth_; }
  ~HostCallScope() { --depth_; }
  HostCallScope(const HostCallScope &) = delete;
  HostCallScope &operator=(const HostCallScope &) = delete;

  static bool active() noexcept { return depth_ > 0; }

 private:
  static thread_local int depth_;
};

}  // namespace host
