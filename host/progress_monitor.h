#pragma once

#include <lwmonitor.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace host {

// One progress monitor the module opened through "LWLMonFuncs". Its address
// is the LWLMonID. Monitors belong to the host side: `create` makes one,
// `destroy` frees it; the host keeps a registry of live monitors so that a
// call with a null, stale or foreign handle is ignored instead of followed.
class ProgressMonitor {
 public:
  void setup(const char *title, unsigned int flags);
  void init(unsigned int total, const char *text);
  void step(unsigned int increment, const char *text);
  void done();

  const std::string &title() const { return title_; }
  unsigned int flags() const { return flags_; }
  std::uint64_t total() const { return total_; }
  std::uint64_t progress() const { return progress_; }
  const std::string &message() const { return message_; }
  bool finished() const { return finished_; }

 private:
  // Redraws the bar on stderr when the current Host asks for it and stderr
  // is a terminal.
  void draw(bool final_line);

  std::string title_;
  unsigned int flags_ = 0;
  std::uint64_t total_ = 0;
  std::uint64_t progress_ = 0;
  std::string message_;
  bool finished_ = false;
  bool drew_ = false;  // a bar is on screen without its final newline
};

// The "LWLMonFuncs" table. Every call on a live monitor is recorded into
// Host::current() as a MonitorCall; calls on a null or unknown monitor are
// ignored. `step` answers what Host::monitor_requests_abort() says (0 when
// there is no current host).
const LWLMonFuncs &monitor_funcs_table();

// Monitors created and not yet destroyed, in the whole process.
std::size_t live_monitor_count();

// The bar as drawn, without carriage return: title, percentage, a bar of
// `bar_width` cells and the last message, e.g. "Scan  50% [#####     ] Scanning...".
// A total of 0 shows 0% until done, then 100%; progress beyond the total
// shows 100%.
std::string render_progress_line(const std::string &title, std::uint64_t progress, std::uint64_t total,
                                 bool finished, const std::string &message, int bar_width = 30);

}  // namespace host
