// "Tavorix:RealTime": the master handler. The activation fills the host's
// handler record; the instance callbacks below are the only way the host
// reaches a watcher, and none of them lets an exception reach the host.
#include <new>

#include "module/activation.h"
#include "module/scheduler_scope.h"
#include "module/servers.h"
#include "module/service_names.h"
#include "realtime/command_watcher.h"
#include "realtime/realtime_instance.h"
#include "realtime/tracking.h"

namespace KeyFrame {
namespace {

constexpr const char *kServerName = "Tavorix:RealTime";
constexpr const char *kDescription = "Tavorix: RealTime";
constexpr const char *kOutOfMemory = "Not Enough Memory";
constexpr int kHandlerType = 1;

RealTimeInstance *as_instance(LWInstance instance) { return static_cast<RealTimeInstance *>(instance); }

LWInstance create_instance(void *, void *, LWError *error) noexcept {
  try {
    return new RealTimeInstance;
  } catch (...) {
    if (error != nullptr) *error = kOutOfMemory;
    return nullptr;
  }
}

void destroy_instance(LWInstance instance) noexcept {
  RealTimeInstance *watcher = as_instance(instance);
  if (watcher == nullptr) return;
  abandon_tracking(*watcher);  // releases the services when tracking
  delete watcher;
}

// An instance carries nothing from one instance to another, nor into or out
// of a scene file.
LWError copy_instance(LWInstance, LWInstance) noexcept { return nullptr; }
LWError load_instance(LWInstance, const LWLoadState *) noexcept { return nullptr; }
LWError save_instance(LWInstance, const LWSaveState *) noexcept { return nullptr; }

const char *describe_instance(LWInstance) noexcept { return kDescription; }

unsigned int handler_flags(LWInstance) noexcept { return 0; }

double handle_event(LWInstance instance, const LWMasterAccess *access) noexcept {
  RealTimeInstance *watcher = as_instance(instance);
  if (watcher == nullptr || access == nullptr) return 0.0;
  try {
    watch_event(*watcher, *access);
  } catch (...) {
    // A step writes its keys only once all of it is computed, and a failed
    // start takes back the keys it planted, so the scene is as it was
    // before this event. The next rotation starts tracking afresh.
    report_failure("Tavorix:RealTime could not follow the rotation", current_failure_reason(),
                   "The keys were left as they were before this step; the next rotation starts again.");
    abandon_tracking(*watcher);
  }
  return 0.0;
}

void fill_handler_record(LWMasterHandler &handler) {
  handler.type = kHandlerType;
  handler.event = handle_event;
  handler.flags = handler_flags;
  LWInstanceFuncs *inst = handler.inst;
  if (inst == nullptr) return;
  inst->create = create_instance;
  inst->destroy = destroy_instance;
  inst->copy = copy_instance;
  inst->load = load_instance;
  inst->save = save_instance;
  inst->descln = describe_instance;
}

}  // namespace

extern "C" int activate_realtime(int version, GlobalFunc *global, void *local, void *) {
  return guard_activation(kServerName, [&] {
    const int begun = begin_activation(version, kMasterVersion, global);
    if (begun != AFUNC_OK) return begun;
    SchedulerScope scheduler;
    auto *handler = static_cast<LWMasterHandler *>(local);
    if (handler != nullptr) fill_handler_record(*handler);
    return AFUNC_OK;
  });
}

}  // namespace KeyFrame
