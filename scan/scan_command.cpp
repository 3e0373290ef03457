// "Tavorix:Scan": walk every selected item's rotation keys in time order and
// rewrite each triple into the equivalent one closest to the previous key,
// with a progress monitor and a closing report.
#include <cinttypes>
#include <cstdint>
#include <cstdio>

#include "keys/collect_rotation_keys.h"
#include "keys/created_keys.h"
#include "module/activation.h"
#include "module/host_services.h"
#include "module/scene_services.h"
#include "module/scheduler_scope.h"
#include "module/servers.h"
#include "module/service_names.h"
#include "scan/correct_angle_scan.h"

namespace KeyFrame {
namespace {

constexpr const char *kServerName = "Tavorix:Scan";
// No abort button (the scan cannot be stopped half way), and review: the
// window stays open so that the user can read the report.
constexpr unsigned int kMonitorFlags = 3;

// The scan's progress monitor, open for one scope: created and set up when
// the host offers one, closed (done, destroy) on every way out.
class ScanMonitor {
 public:
  explicit ScanMonitor(GlobalFunc *global) {
    HostServices &s = host_services;
    s.monitor_funcs = static_cast<LWLMonFuncs *>(global(kMonitorService, GFUSE_TRANSIENT));
    if (s.monitor_funcs == nullptr) return;
    s.monitor = s.monitor_funcs->create();
    if (s.monitor == nullptr) return;
    funcs_ = s.monitor_funcs;
    monitor_ = s.monitor;
    // The host declares the title writable: hand it a copy of our own.
    char title[] = "Tavorix: Scan";
    funcs_->setup(monitor_, title, kMonitorFlags, nullptr);
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

// Tells the user that the scan stopped after `written` of `total` items.
// Each item is written as a whole, in selection order, so the scene holds
// the first `written` items scanned and the rest as they were.
void report_interrupted_scan(std::uint64_t written, std::uint64_t total) noexcept {
  const char *reason = current_failure_reason();
  if (written == 0) {
    report_unfinished(kServerName, reason, kSceneUnchanged);
    return;
  }
  char outcome[160];
  std::snprintf(outcome, sizeof outcome,
                "The first %" PRIu64 " of %" PRIu64
                " selected items were scanned and keep their corrections; the others were left as they were.",
                written, total);
  report_unfinished(kServerName, reason, outcome);
}

}  // namespace

extern "C" int activate_scan(int version, GlobalFunc *global, void *, void *) {
  return guard_activation(kServerName, [&] {
    const int begun = begin_activation(version, kGenericVersion, global);
    if (begun != AFUNC_OK) return begun;
    ScanMonitor monitor(global);
    SchedulerScope scheduler;
    KeyInfo info(kModeScan);
    SceneServicesScope services;
    if (!services.held()) return AFUNC_BADGLOBAL;
    try {
      collect_rotation_keys(&info);
    } catch (...) {
      // The collection planted zero keys that only the walk removes.
      take_back_created_keys(&info);
      throw;
    }
    if (info.item_count > 0) {
      std::uint64_t written = 0;
      try {
        correct_angle_scan(&info, written);
      } catch (...) {
        report_interrupted_scan(written, info.item_count);
        return AFUNC_OK;
      }
    }
    monitor.report(info.item_count);
    return AFUNC_OK;
  });
}

}  // namespace KeyFrame
