// "Tavorix:Scan": walk every selected item's rotation keys in time order and
// rewrite each triple into the equivalent one closest to the previous key,
// with a progress monitor and a closing report.
#include <cinttypes>
#include <cstdint>
#include <cstdio>

#include "keys/collect_rotation_keys.h"
#include "module/activation.h"
#include "module/host_services.h"
#include "module/scene_services.h"
#include "module/scheduler_scope.h"
#include "module/servers.h"
#include "scan/correct_angle_scan.h"

namespace KeyFrame {
namespace {

constexpr unsigned int kMonitorFlags = 3;

// The scan's progress monitor, open for one scope: created and set up when
// the host offers one, closed (done, destroy) on every way out.
class ScanMonitor {
 public:
  explicit ScanMonitor(GlobalFunc *global) {
    HostServices &s = host_services;
    s.monitor_funcs = static_cast<LWLMonFuncs *>(global(LWLMONFUNCS_GLOBAL, GFUSE_TRANSIENT));
    if (s.monitor_funcs == nullptr) return;
    s.monitor = s.monitor_funcs->create();
    if (s.monitor == nullptr) return;
    funcs_ = s.monitor_funcs;
    monitor_ = s.monitor;
    funcs_->setup(monitor_, "Tavorix: Scan", kMonitorFlags, nullptr);
  }
  ~ScanMonitor() {
    if (monitor_ == nullptr) return;
    funcs_->done(monitor_);
    funcs_->destroy(monitor_);
  }
  ScanMonitor(const ScanMonitor &) = delete;
  ScanMonitor &operator=(const ScanMonitor &) = delete;

  // Composed in place: the keys are written by now, and an allocation
  // failure here would report a finished scan as failed.
  void report(std::uint64_t item_count) {
    if (monitor_ == nullptr) return;
    char text[48];
    std::snprintf(text, sizeof text, "Scanned: %" PRIu64 " items", item_count);
    funcs_->step(monitor_, static_cast<unsigned int>(item_count), text);
  }

 private:
  LWLMonFuncs *funcs_ = nullptr;
  LWLMonID monitor_ = nullptr;
};

}  // namespace

extern "C" int activate_scan(int version, GlobalFunc *global, void *, void *) {
  return guard_activation([&] {
    const int begun = begin_activation(version, LWLAYOUTGENERIC_VERSION, global);
    if (begun != AFUNC_OK) return begun;
    ScanMonitor monitor(global);
    SchedulerScope scheduler;
    KeyInfo info(kModeScan);
    SceneServicesScope services;
    if (!services.held()) return AFUNC_BADGLOBAL;
    try {
      collect_rotation_keys(&info);
    } catch (...) {
      // The collection planted zero keys that only the walk removes. Only the
      // first item_count records are complete: a failed append still counts
      // in records.size(), and its slot may lie in a block never allocated.
      for (std::uint64_t i = 0; i < info.item_count; ++i) remove_created_keys(info.records[i]);
      throw;
    }
    if (info.item_count > 0) correct_angle_scan(&info);
    monitor.report(info.item_count);
    return AFUNC_OK;
  });
}

}  // namespace KeyFrame
