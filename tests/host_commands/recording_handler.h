#pragma once

// A master handler of the test program itself: it records every event it is
// given and can react to one (evaluate a command, remove itself), so the
// stand-in host's handler machinery can be checked without a module.

#include <functional>
#include <string>
#include <vector>

#include "module/host_interface.h"

namespace testing_support {

struct RecordedEvent {
  int code = 0;
  std::string text;  // command events: the text; empty for a null text
  bool null_text = false;
};

// The handler's server data and, once created, its instance.
struct HandlerLog {
  std::vector<RecordedEvent> events;
  int created = 0;
  int destroyed = 0;
  int activation_result = AFUNC_OK;    // what the activation answers
  const char *create_error = nullptr;  // when set, create fails with this text
  std::function<void(const LWMasterAccess &)> on_event;

  std::vector<std::string> commands() const {
    std::vector<std::string> texts;
    for (const RecordedEvent &event : events) {
      if (event.code == LWEVNT_COMMAND) texts.push_back(event.text);
    }
    return texts;
  }
  // Events as short words: the command text, "<time>" or "<select>".
  std::vector<std::string> trace() const {
    std::vector<std::string> words;
    for (const RecordedEvent &event : events) {
      words.push_back(event.code == LWEVNT_TIME     ? "<time>"
                      : event.code == LWEVNT_SELECT ? "<select>"
                                                    : event.text);
    }
    return words;
  }
};

inline HandlerLog *as_log(void *p) { return static_cast<HandlerLog *>(p); }

inline LWInstance recorder_create(void *priv, void *, LWError *error) {
  HandlerLog *log = as_log(priv);
  if (log->create_error != nullptr) {
    *error = log->create_error;
    return nullptr;
  }
  ++log->created;
  return log;
}

inline void recorder_destroy(LWInstance instance) { ++as_log(instance)->destroyed; }

inline const char *recorder_describe(LWInstance) { return "Recorder"; }

inline double recorder_event(LWInstance instance, const LWMasterAccess *access) {
  HandlerLog *log = as_log(instance);
  RecordedEvent event;
  event.code = access->eventCode;
  event.null_text = access->eventCode == LWEVNT_COMMAND && access->eventData == nullptr;
  if (access->eventCode == LWEVNT_COMMAND && access->eventData != nullptr) {
    event.text = static_cast<const char *>(access->eventData);
  }
  log->events.push_back(event);
  if (log->on_event) log->on_event(*access);
  return 0.0;
}

inline int activate_recorder(int version, GlobalFunc *, void *local, void *server_data) {
  if (version != LWMASTER_VERSION) return AFUNC_BADVERSION;
  HandlerLog *log = as_log(server_data);
  if (log->activation_result != AFUNC_OK) return log->activation_result;
  auto *handler = static_cast<LWMasterHandler *>(local);
  handler->type = 1;
  handler->event = recorder_event;
  handler->inst->priv = log;
  handler->inst->create = recorder_create;
  handler->inst->destroy = recorder_destroy;
  handler->inst->descln = recorder_describe;
  return AFUNC_OK;
}

}  // namespace testing_support
