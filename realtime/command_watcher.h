#pragma once

#include "module/host_interface.h"
#include "realtime/realtime_instance.h"

namespace KeyFrame {

// The watcher's reaction to one host event (see realtime_server.cpp for the
// callback that wraps it):
//
// - time or selection changed: tracking ends (kArmed).
// - kDormant: only a command beginning "LocalCoordinateS" or
//   "WorldCoordinateS" matters; it re-arms the watcher.
// - kArmed or kTracking, a command beginning "AddRotation ": tracking starts
//   if it is off (the keys at the current time are collected), then the
//   command is counted. Commands come in groups of one per tracked item; the
//   last of each group carries the step: its amounts become the rotation
//   offset, the keys are corrected and "RefreshNow" is issued through the
//   host's evaluate.
// - kTracking, any other command: the first matching prefix of "Piv",
//   "RecordPiv", "Rotat", "Reset", "Generic_Tavorix" ends tracking (kArmed);
//   "ParentCoordinateS" ends it into kDormant.
//
// A command event with a null text is an empty command. A step whose amounts
// are not all finite numbers changes no key and issues no refresh; it still
// counts in its group. When a scene service is missing as tracking would
// start, the watcher stays kArmed. When a tracked key has been deleted by the
// time a step is due, the collected keys are dropped and collected afresh
// before the step.
//
// May throw (out of memory); the caller then calls abandon_tracking.
void watch_event(RealTimeInstance &instance, const LWMasterAccess &access);

// Brings the instance back to a consistent state after watch_event failed:
// tracking, if on, ends into kArmed with the services released.
void abandon_tracking(RealTimeInstance &instance) noexcept;

}  // namespace KeyFrame
