// "Tavorix:InferiorAngle" and "Tavorix:SuperiorAngle": at the current time,
// rewrite every selected item's rotation keys into the other equivalent
// triple (or back). One routine; the mode is the only difference.
#include "batch/correct_angle_batch.h"
#include "keys/collect_rotation_keys.h"
#include "keys/created_keys.h"
#include "module/activation.h"
#include "module/scene_services.h"
#include "module/scheduler_scope.h"
#include "module/servers.h"
#include "module/service_names.h"

namespace KeyFrame {
namespace {

int run_angle_command(const char *server, std::int32_t mode, int version, GlobalFunc *global) {
  return guard_activation(server, [&] {
    const int begun = begin_activation(version, kGenericVersion, global);
    if (begun != AFUNC_OK) return begun;
    SchedulerScope scheduler;
    KeyInfo info(mode);
    SceneServicesScope services;
    if (!services.held()) return AFUNC_BADGLOBAL;
    try {
      collect_rotation_keys(&info);
      correct_angle_batch(&info);
    } catch (...) {
      // Cut short before any key was written (the write-back allocates
      // nothing): take back the keys the collection created, so a failed
      // command leaves the animation as it was, as the guard tells the user.
      take_back_created_keys(&info);
      throw;
    }
    return AFUNC_OK;
  });
}

}  // namespace

extern "C" int activate_inferior_angle(int version, GlobalFunc *global, void *, void *) {
  return run_angle_command("Tavorix:InferiorAngle", kModeInferior, version, global);
}

extern "C" int activate_superior_angle(int version, GlobalFunc *global, void *, void *) {
  return run_angle_command("Tavorix:SuperiorAngle", kModeSuperior, version, global);
}

}  // namespace KeyFrame
