#include "host/host.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "host/handles.h"
#include "host/host_call_scope.h"
#include "host/placeholder_members.h"
#include "host/service_tables.h"

namespace host {
namespace {

// Hosts in the order they were made; the last one is current. The current
// pointer is also published in detail::current_host, so that callbacks on
// worker threads can read it without taking the stack's lock.
struct CurrentHosts {
  std::mutex mutex;
  std::vector<Host *> stack;
};

// Never destroyed: a Host held by a static object may end after every other
// static of this file.
CurrentHosts &current_hosts() {
  static CurrentHosts *const instance = new CurrentHosts;
  return *instance;
}

}  // namespace

std::atomic<Host *> detail::current_host{nullptr};

Host::Host() {
  CurrentHosts &hosts = current_hosts();
  std::lock_guard<std::mutex> lock(hosts.mutex);
  hosts.stack.push_back(this);
  detail::current_host.store(this, std::memory_order_release);
}

Host::~Host() {
  CurrentHosts &hosts = current_hosts();
  std::lock_guard<std::mutex> lock(hosts.mutex);
  hosts.stack.erase(std::remove(hosts.stack.begin(), hosts.stack.end(), this), hosts.stack.end());
  detail::current_host.store(hosts.stack.empty() ? nullptr : hosts.stack.back(), std::memory_order_release);
}

GlobalFunc *Host::global_function() const { return &host::global_function; }

void *Host::answer_global(const char *service_name, int use_mode) {
  std::string name = service_name;
  std::lock_guard<std::mutex> lock(services_mutex_);
  ServiceUse &use = use_[name];
  if (use_mode == GFUSE_RELEASE) {
    ++use.release;
    return nullptr;
  }
  auto withheld = withheld_.find(name);
  bool refused = use_mode != GFUSE_TRANSIENT && use_mode != GFUSE_ACQUIRE;
  refused = refused || (withheld != withheld_.end() && withheld->second);
  void *table = refused ? nullptr : service_table(*this, name);
  if (table == nullptr) {
    ++use.refused;
  } else if (use_mode == GFUSE_TRANSIENT) {
    ++use.transient;
  } else {
    ++use.acquire;
  }
  return table;
}

void Host::withhold(const std::string &service_name, bool withheld) {
  std::lock_guard<std::mutex> lock(services_mutex_);
  withheld_[service_name] = withheld;
}

ServiceUse Host::use_of(const std::string &service_name) const {
  std::lock_guard<std::mutex> lock(services_mutex_);
  auto it = use_.find(service_name);
  return it == use_.end() ? ServiceUse{} : it->second;
}

bool Host::services_balanced() const {
  std::lock_guard<std::mutex> lock(services_mutex_);
  return std::all_of(use_.begin(), use_.end(),
                     [](const auto &entry) { return entry.second.acquire == entry.second.release; });
}

void Host::reset_service_counts() {
  std::lock_guard<std::mutex> lock(services_mutex_);
  use_.clear();
}

std::vector<MonitorCall> Host::monitor_calls() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return monitor_calls_;
}

void Host::clear_monitor_calls() {
  std::lock_guard<std::mutex> lock(mutex_);
  monitor_calls_.clear();
}

void Host::note_monitor_call(MonitorCall call) {
  std::lock_guard<std::mutex> lock(mutex_);
  monitor_calls_.push_back(std::move(call));
}

void Host::record_envelope_calls(bool on) { recording_envelopes_.store(on, std::memory_order_relaxed); }

std::vector<EnvelopeCall> Host::envelope_calls() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return envelope_calls_;
}

void Host::clear_envelope_calls() {
  std::lock_guard<std::mutex> lock(mutex_);
  envelope_calls_.clear();
}

void Host::note_envelope_call(const EnvelopeCall &call) {
  std::lock_guard<std::mutex> lock(mutex_);
  envelope_calls_.push_back(call);
}

std::vector<HostMessage> Host::messages() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return messages_;
}

void Host::clear_messages() {
  std::lock_guard<std::mutex> lock(mutex_);
  messages_.clear();
}

void Host::note_message(HostMessage message) {
  std::lock_guard<std::mutex> lock(mutex_);
  messages_.push_back(std::move(message));
}

std::vector<std::string> Host::commands() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return commands_;
}

void Host::clear_commands() {
  std::lock_guard<std::mutex> lock(mutex_);
  commands_.clear();
}

int Host::evaluate_command(const char *command) {
  HostCallScope host_code;
  if (command == nullptr) return 0;
  try {
    std::string text = command;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      commands_.push_back(text);
    }
    return command_sink ? command_sink(text) : 1;
  } catch (const std::exception &error) {
    std::fprintf(stderr, "error: command \"%s\" failed: %s\n", command, error.what());
  } catch (...) {
    std::fprintf(stderr, "error: command \"%s\" failed with an unknown exception\n", command);
  }
  return 0;
}

std::vector<std::string> Host::placeholder_calls() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return placeholder_calls_;
}

void Host::clear_placeholder_calls() {
  std::lock_guard<std::mutex> lock(mutex_);
  placeholder_calls_.clear();
}

void Host::note_placeholder_call(const char *member) noexcept {
  try {
    std::lock_guard<std::mutex> lock(mutex_);
    placeholder_calls_.emplace_back(member);
  } catch (...) {
    // Out of memory: the call has been reported on stderr.
  }
}

LWInterfaceInfo *Host::interface_info() {
  const std::vector<scene::Item *> &selection = scene_.selection();
  selection_ids_.clear();
  selection_ids_.reserve(selection.size() + 1);
  for (scene::Item *item : selection) selection_ids_.push_back(to_handle(item));
  selection_ids_.push_back(nullptr);
  interface_info_.curTime = scene_.current_time();
  interface_info_.selItems = selection_ids_.data();
  HOST_PLACEHOLDER(LWInterfaceInfo, interface_info_, itemFlags);
  // The stand-in has no preview range and updates dynamics only on request.
  interface_info_.previewStart = 0;
  interface_info_.previewEnd = 0;
  interface_info_.previewStep = 1;
  interface_info_.dynaUpdate = 0;
  return &interface_info_;
}

}  // namespace host
