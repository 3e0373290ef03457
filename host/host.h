#pragma once

#include <lwhost.h>
#include <lwrender.h>
#include <lwserver.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "scene/envelope_evaluation.h"
#include "scene/scene.h"

namespace host {

// How often each use mode of the global function was asked for one service.
struct ServiceUse {
  int transient = 0;
  int acquire = 0;
  int release = 0;
  // Requests answered with null: the service was withheld, the name unknown,
  // or the use mode not 0, 1 or 2.
  int refused = 0;
};

// One call the module made on a progress monitor, recorded for tests.
struct MonitorCall {
  std::string op;            // "create", "setup", "init", "step", "done", "destroy"
  std::string text;          // title or message; empty for none
  std::uint64_t number = 0;  // flags, total or increment
  bool text_was_null = false;
};

// One envelope call the module made, recorded only while recording is on.
struct EnvelopeCall {
  std::string op;  // "createKey", "destroyKey", "findKey", "nextKey", "prevKey", "keySet", "keyGet"
  const scene::Envelope *envelope = nullptr;
  const scene::Key *key = nullptr;  // the key passed, or for createKey/findKey the key answered
  int tag = -1;
  double value = 0.0;  // value set (keySet), read (keyGet) or given (createKey)
  double time = 0.0;   // time asked for (createKey, findKey)
  bool ok = true;      // false when the call failed (null answer or result 0)
};

// One line the module showed through "Info Messages 2".
struct HostMessage {
  std::string kind;  // "info", "error" or "warning"
  std::string line1;
  std::string line2;  // empty when the module passed none
};

class Host;

namespace detail {
// The current Host, read by every envelope callback: a constant-initialised
// atomic, so reading it needs no guard and no call.
extern std::atomic<Host *> current_host;
}  // namespace detail

// The stand-in host: a scene plus the service tables the module reaches
// through the global function. The global function is a plain C function
// with no context argument, so exactly one Host is "current" at a time; its
// constructor makes it current and its destructor ends that (the Host that
// was current before becomes current again, so Hosts may nest).
class Host {
 public:
  Host();
  ~Host();
  Host(const Host &) = delete;
  Host &operator=(const Host &) = delete;

  static Host *current() { return detail::current_host.load(std::memory_order_acquire); }

  scene::Scene &scene() { return scene_; }
  const scene::Scene &scene() const { return scene_; }

  // The function to hand to activations. It answers for Host::current().
  GlobalFunc *global_function() const;
  // What the global function answers for this host: the table of a known,
  // not withheld service for use modes 0 and 1; null for use mode 2 and for
  // everything else. Every request is counted (see use_of).
  void *answer_global(const char *service_name, int use_mode);

  // Makes the global function answer null for a service (by its global name).
  void withhold(const std::string &service_name, bool withheld = true);
  ServiceUse use_of(const std::string &service_name) const;
  // True when every service acquired has been released as often.
  bool services_balanced() const;
  void reset_service_counts();

  // Monitor calls of the module, in order.
  std::vector<MonitorCall> monitor_calls() const;
  void clear_monitor_calls();
  // Draw monitors as a bar on stderr (only when it is a terminal).
  void set_draw_progress(bool draw) { draw_progress_ = draw; }
  bool draw_progress() const { return draw_progress_; }
  // What a monitor's step answers: nonzero asks the module to stop.
  void set_monitor_requests_abort(bool abort) { monitor_requests_abort_ = abort; }
  bool monitor_requests_abort() const { return monitor_requests_abort_; }

  // How Hermite and 1D Bezier keys' stored tangents are read wherever this
  // host evaluates its envelopes (envelope_evaluation.h).
  scene::HermiteTangents hermite_tangents() const { return hermite_tangents_; }
  void set_hermite_tangents(scene::HermiteTangents rule) { hermite_tangents_ = rule; }

  // Messages of the module, in order; also printed to stderr unless turned off.
  std::vector<HostMessage> messages() const;
  void clear_messages();
  void set_print_messages(bool print) { print_messages_ = print; }
  bool print_messages() const { return print_messages_; }
  // Whether errors are printed too (when messages are); off where the caller
  // reports a failed run itself.
  void set_print_errors(bool print) { print_errors_ = print; }
  bool print_errors() const { return print_errors_; }

  // Commands the module asked the host to run (LWLayoutGeneric and
  // LWMasterAccess evaluate), in order.
  std::vector<std::string> commands() const;
  void clear_commands();
  // Where evaluate_command sends a command once it is recorded; its result
  // is what evaluate returns to the module. Unset: every command succeeds
  // (returns 1) and does nothing. The command interpreter plugs in here.
  std::function<int(const std::string &command)> command_sink;
  // Records `command` and hands it to command_sink. Never throws: a sink
  // that throws makes the command fail (returns 0, reported on stderr).
  int evaluate_command(const char *command);

  // Placeholder members of the host's tables the module called (see
  // placeholder_members.h), by name, in order. Thread-safe.
  std::vector<std::string> placeholder_calls() const;
  void clear_placeholder_calls();

  // Envelope call recording (off by default; thread-safe when on).
  void record_envelope_calls(bool on);
  std::vector<EnvelopeCall> envelope_calls() const;
  void clear_envelope_calls();

  // Internal: called by the service tables.
  void note_monitor_call(MonitorCall call);
  void note_envelope_call(const EnvelopeCall &call);
  void note_message(HostMessage message);
  void note_placeholder_call(const char *member) noexcept;
  // Lock-free so that envelope calls on worker threads pay nothing when off.
  bool recording_envelope_calls() const { return recording_envelopes_.load(std::memory_order_relaxed); }
  // Refreshes the interface-information table from the scene (selection,
  // current time) and returns it.
  LWInterfaceInfo *interface_info();

 private:
  scene::Scene scene_;
  // Guards the service bookkeeping (withheld_, use_).
  mutable std::mutex services_mutex_;
  std::map<std::string, bool> withheld_;
  std::map<std::string, ServiceUse> use_;
  mutable std::mutex mutex_;  // guards the recordings, which workers may append to
  std::vector<MonitorCall> monitor_calls_;
  std::vector<EnvelopeCall> envelope_calls_;
  std::vector<HostMessage> messages_;
  std::vector<std::string> commands_;
  std::vector<std::string> placeholder_calls_;
  std::atomic<bool> recording_envelopes_{false};
  bool draw_progress_ = false;
  bool monitor_requests_abort_ = false;
  bool print_messages_ = true;
  scene::HermiteTangents hermite_tangents_ = scene::HermiteTangents::scaled_by_spacing;
  bool print_errors_ = true;
  std::vector<LWItemID> selection_ids_;  // null-terminated copy of the selection
  LWInterfaceInfo interface_info_{};
};

}  // namespace host
