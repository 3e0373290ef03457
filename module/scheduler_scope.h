#pragma once

#include <tbb/global_control.h>

namespace KeyFrame {

// The task scheduler for one call into the module. Parallel work inside the
// call uses the scheduler's automatic thread count. When the scope ends it
// waits until every worker thread the call started has terminated, so no
// thread of the module's parallel machinery runs on after the call returns:
// the host may unload the module file (and with it the task library) at any
// moment between calls.
class SchedulerScope {
 public:
  SchedulerScope() : handle_(tbb::attach{}) {}
  ~SchedulerScope() {
    // Fails (and returns false) only when another part of the process holds
    // the scheduler too; its workers are then that part's to end.
    (void)tbb::finalize(handle_, std::nothrow);
  }
  SchedulerScope(const SchedulerScope &) = delete;
  SchedulerScope &operator=(const SchedulerScope &) = delete;

 private:
  tbb::task_scheduler_handle handle_;
};

}  // namespace KeyFrame
