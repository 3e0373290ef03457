#pragma once

#include <cstdint>
#include <optional>

#include "keys/key_info.h"
#include "module/scheduler_scope.h"

namespace KeyFrame {

// Watch states of the real-time watcher.
enum WatchState : std::int32_t {
  // The user switched the host to the parent coordinate system: the watcher
  // waits for a switch to the local or world system and reacts to nothing else.
  kDormant = 0,
  // Nothing collected and none of the four scene services held; the next
  // rotation command starts tracking.
  kArmed = 1,
  // The selected items' rotation keys at the current time are in `key_info`
  // and the four scene services are held for them. Tests for tracking are
  // written as `state > kArmed`.
  kTracking = 2,
};

// One master-handler instance of "Tavorix:RealTime", owned by the host
// between `create` and `destroy`.
//
// Invariant: the scene services are held exactly while `state` is
// kTracking; every way out of kTracking releases them once.
struct RealTimeInstance {
  RealTimeInstance() : key_info(kModeRealTime) {}

  std::int32_t state = kArmed;
  KeyInfo key_info;
  // The task scheduler, held while tracking: the corrections of one tracking
  // period share its worker threads instead of starting and ending them at
  // every step, and leaving tracking (or destroying the instance, which the
  // host does before it may unload the module) ends them.
  std::optional<SchedulerScope> scheduler;
  // Whether the tracked keys are known to be in the scene: set when they are
  // collected or checked, cleared by any event but a rotation step or the
  // refresh the watcher itself asks for, since another command may have
  // deleted a key. Saves the check (three look-ups per item) on every step
  // of an uninterrupted drag.
  bool keys_verified = false;
};

}  // namespace KeyFrame
