#include "host/progress_monitor.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "host/host.h"
#include "host/host_call_scope.h"
#include "host/placeholder_members.h"
#include "platform/terminal.h"

namespace host {
namespace {

// The live monitors. The lock is held for the whole of each call, so a
// monitor cannot be destroyed while another thread is inside one of its calls.
struct MonitorRegistry {
  std::mutex mutex;
  std::unordered_map<const ProgressMonitor *, std::unique_ptr<ProgressMonitor>> monitors;
};

MonitorRegistry &registry() {
  static MonitorRegistry instance;
  return instance;
}

ProgressMonitor *monitor_of(LWLMonID mon) { return static_cast<ProgressMonitor *>(mon); }

// The live monitor behind `mon`, or null. The registry lock must be held.
ProgressMonitor *live_monitor(LWLMonID mon) {
  auto &monitors = registry().monitors;
  auto it = monitors.find(monitor_of(mon));
  return it == monitors.end() ? nullptr : it->second.get();
}

void record(const char *op, const char *text, std::uint64_t number) {
  Host *host = Host::current();
  if (host == nullptr) return;
  MonitorCall call;
  call.op = op;
  call.text = text != nullptr ? text : "";
  call.text_was_null = text == nullptr;
  call.number = number;
  host->note_monitor_call(std::move(call));
}

// Every callback funnels through here: look the monitor up, run `action` on
// it, and keep any exception (out of memory) away from the module.
template <typename Action>
void with_monitor(LWLMonID mon, Action action) {
  try {
    std::lock_guard<std::mutex> lock(registry().mutex);
    if (ProgressMonitor *monitor = live_monitor(mon)) action(*monitor);
  } catch (...) {
  }
}

LWLMonID monitor_create() {
  HostCallScope host_code;
  try {
    auto monitor = std::make_unique<ProgressMonitor>();
    ProgressMonitor *handle = monitor.get();
    {
      std::lock_guard<std::mutex> lock(registry().mutex);
      registry().monitors.emplace(handle, std::move(monitor));
    }
    record("create", nullptr, 0);
    return static_cast<LWLMonID>(handle);
  } catch (...) {
    return nullptr;
  }
}

void monitor_setup(LWLMonID mon, char *title, unsigned int flags, const char * /*histfile*/) {
  HostCallScope host_code;
  with_monitor(mon, [&](ProgressMonitor &monitor) {
    record("setup", title, flags);
    monitor.setup(title, flags);
  });
}

void monitor_init(LWLMonID mon, unsigned int total, const char *text) {
  HostCallScope host_code;
  with_monitor(mon, [&](ProgressMonitor &monitor) {
    record("init", text, total);
    monitor.init(total, text);
  });
}

int monitor_step(LWLMonID mon, unsigned int increment, const char *text) {
  HostCallScope host_code;
  int answer = 0;
  with_monitor(mon, [&](ProgressMonitor &monitor) {
    record("step", text, increment);
    monitor.step(increment, text);
    Host *host = Host::current();
    answer = host != nullptr && host->monitor_requests_abort() ? 1 : 0;
  });
  return answer;
}

void monitor_done(LWLMonID mon) {
  HostCallScope host_code;
  with_monitor(mon, [&](ProgressMonitor &monitor) {
    record("done", nullptr, 0);
    monitor.done();
  });
}

void monitor_destroy(LWLMonID mon) {
  HostCallScope host_code;
  try {
    std::unique_ptr<ProgressMonitor> doomed;
    {
      std::lock_guard<std::mutex> lock(registry().mutex);
      auto &monitors = registry().monitors;
      auto it = monitors.find(monitor_of(mon));
      if (it == monitors.end()) return;
      doomed = std::move(it->second);
      monitors.erase(it);
    }
    record("destroy", nullptr, 0);
  } catch (...) {
  }
}

// Filled by member name; the window position is the host's to choose.
LWLMonFuncs make_monitor_funcs() {
  LWLMonFuncs table{};
  table.create = monitor_create;
  table.setup = monitor_setup;
  HOST_PLACEHOLDER(LWLMonFuncs, table, setwinpos);
  table.init = monitor_init;
  table.step = monitor_step;
  table.done = monitor_done;
  table.destroy = monitor_destroy;
  return table;
}

}  // namespace

void ProgressMonitor::setup(const char *title, unsigned int flags) {
  title_ = title != nullptr ? title : "";
  flags_ = flags;
}

void ProgressMonitor::init(unsigned int total, const char *text) {
  total_ = total;
  progress_ = 0;
  finished_ = false;
  message_ = text != nullptr ? text : "";
  draw(false);
}

void ProgressMonitor::step(unsigned int increment, const char *text) {
  progress_ += increment;
  if (text != nullptr) message_ = text;
  draw(false);
}

void ProgressMonitor::done() {
  finished_ = true;
  draw(true);
}

void ProgressMonitor::draw(bool final_line) {
  Host *host = Host::current();
  if (host == nullptr || !host->draw_progress() || !platform::standard_error_is_terminal()) return;
  if (final_line && !drew_) return;  // nothing on screen to finish
  std::string line = render_progress_line(title_, progress_, total_, finished_, message_);
  // "\x1b[K" clears what a longer previous line left to the right.
  std::fprintf(stderr, "\r%s\x1b[K%s", line.c_str(), final_line ? "\n" : "");
  std::fflush(stderr);
  drew_ = !final_line;
}

const LWLMonFuncs &monitor_funcs_table() {
  static const LWLMonFuncs table = make_monitor_funcs();
  return table;
}

std::size_t live_monitor_count() {
  std::lock_guard<std::mutex> lock(registry().mutex);
  return registry().monitors.size();
}

std::string render_progress_line(const std::string &title, std::uint64_t progress, std::uint64_t total,
                                 bool finished, const std::string &message, int bar_width) {
  const std::uint64_t width = static_cast<std::uint64_t>(std::max(bar_width, 1));
  std::uint64_t percent = 0;
  std::uint64_t filled = 0;
  if (total == 0) {
    percent = finished ? 100 : 0;
    filled = finished ? width : 0;
  } else {
    std::uint64_t shown = std::min(progress, total);
    percent = shown * 100 / total;
    filled = shown * width / total;
  }
  char percent_text[8];
  std::snprintf(percent_text, sizeof percent_text, "%3u%%", static_cast<unsigned>(percent));

  std::string line = title;
  if (!line.empty()) line += ' ';
  line += percent_text;
  line += " [";
  line.append(static_cast<std::size_t>(filled), '#');
  line.append(static_cast<std::size_t>(width - filled), ' ');
  line += ']';
  if (!message.empty()) {
    line += ' ';
    line += message;
  }
  return line;
}

}  // namespace host
