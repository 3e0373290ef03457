#include "realtime/command_watcher.h"

#include <string>

#include "keys/created_keys.h"
#include "realtime/correct_angle_realtime.h"
#include "realtime/rotation_command.h"
#include "realtime/tracking.h"
#include "rotation/finite_angles.h"

namespace KeyFrame {
namespace {

constexpr const char *kRotationStep = "AddRotation ";
constexpr const char *kLocalSystem = "LocalCoordinateS";
constexpr const char *kWorldSystem = "WorldCoordinateS";
// The command the watcher issues after each step; the host reports it back.
constexpr const char *kRefresh = "RefreshNow";

// Commands that end a rotation context while tracking, in the order they are
// tested, and the state each leaves. "Rotat" covers every "RotatePiv..."
// command; "Generic_Tavorix" every command server of this module.
struct EndingCommand {
  const char *prefix;
  std::int32_t next_state;
};
constexpr EndingCommand kEndingCommands[] = {
    {"Piv", kArmed},   {"RecordPiv", kArmed},       {"Rotat", kArmed},
    {"Reset", kArmed}, {"Generic_Tavorix", kArmed}, {"ParentCoordinateS", kDormant},
};

void end_tracking(RealTimeInstance &instance, std::int32_t next_state) {
  instance.state = next_state;
  stop_tracking(&instance.key_info);
  instance.scheduler.reset();
}

// The counting step, and on the last command of a group the rotation step.
void count_and_step(KeyInfo &info, const LWMasterAccess &access, const std::string &command) {
  // Unsigned: with nothing tracked, item_count - 1 is the largest value and
  // no command ever steps.
  if (info.command_counter == info.item_count - 1) {
    const AngleTriple offset = read_rotation_offset(command);
    if (is_finite(offset)) {
      info.rotation_offset = offset;
      correct_angle_realtime(&info);
      if (access.evaluate != nullptr) access.evaluate(access.data, kRefresh);
    }
  }
  if (++info.command_counter == info.item_count) info.command_counter = 0;
}

void rotation_step(RealTimeInstance &instance, const LWMasterAccess &access, const std::string &command) {
  KeyInfo &info = instance.key_info;
  const bool step_due = info.command_counter == info.item_count - 1;
  if (instance.state > kArmed && step_due && !instance.keys_verified) {
    if (tracked_keys_present(&info)) {
      instance.keys_verified = true;
    } else {
      // A tracked key was deleted since the collection: its handle must not
      // be written through. Start over from the keys the scene has now.
      end_tracking(instance, kArmed);
    }
  }
  if (instance.state > kArmed) {
    count_and_step(info, access, command);
    return;
  }
  if (!start_tracking(&info)) return;  // a scene service is missing: stay armed
  instance.state = kTracking;
  instance.keys_verified = true;
  instance.scheduler.emplace();
  try {
    count_and_step(info, access, command);
  } catch (...) {
    // Nothing has been written when the step fails (the correction writes
    // last), so removing the keys this command planted leaves the scene as
    // it was. The caller then ends tracking.
    take_back_created_keys(&info);
    throw;
  }
}

}  // namespace

void watch_event(RealTimeInstance &instance, const LWMasterAccess &access) {
  if (access.eventCode != LWEVNT_COMMAND) {
    instance.keys_verified = false;
    const bool scene_changed = access.eventCode == LWEVNT_SELECT || access.eventCode == LWEVNT_TIME;
    if (instance.state > kArmed && scene_changed) end_tracking(instance, kArmed);
    return;
  }

  // A copy owned by this call; the host's text is not referenced afterwards.
  const char *text = static_cast<const char *>(access.eventData);
  const std::string command = text != nullptr ? text : "";

  if (instance.state == kDormant) {
    if (begins_with(command, kLocalSystem) || begins_with(command, kWorldSystem)) instance.state = kArmed;
    return;
  }
  if (begins_with(command, kRotationStep)) {
    rotation_step(instance, access, command);
    return;
  }
  if (command != kRefresh) instance.keys_verified = false;
  if (instance.state > kArmed) {
    for (const EndingCommand &ending : kEndingCommands) {
      if (begins_with(command, ending.prefix)) {
        end_tracking(instance, ending.next_state);
        return;
      }
    }
  }
}

void abandon_tracking(RealTimeInstance &instance) noexcept {
  if (instance.state > kArmed) end_tracking(instance, kArmed);
}

}  // namespace KeyFrame
