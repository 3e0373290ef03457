#include "host/envelope_service.h"

#include <new>

#include "host/handles.h"
#include "host/host.h"
#include "host/host_call_scope.h"

namespace host {
namespace {

// Appends one call to the current Host's recording when it records. The
// check is two relaxed atomic loads; the lock is taken only when recording.
void record(const char *op, const Envelope *envelope, const Key *key, int tag, double value, double time,
            bool ok) {
  Host *host = Host::current();
  if (host == nullptr || !host->recording_envelope_calls()) return;
  HostCallScope host_code;
  try {
    EnvelopeCall call;
    call.op = op;
    call.envelope = envelope;
    call.key = key;
    call.tag = tag;
    call.value = value;
    call.time = time;
    call.ok = ok;
    host->note_envelope_call(call);
  } catch (...) {
    // Out of memory while recording: the call itself has been carried out.
  }
}

LWEnvKeyframeID create_key(LWEnvelopeID env, LWTime time, double value) {
  HostCallScope host_code;
  Envelope *envelope = from_handle(env);
  Key *key = nullptr;
  if (envelope != nullptr) {
    try {
      key = envelope->create(time, value);
    } catch (const std::bad_alloc &) {
      key = nullptr;
    }
  }
  record("createKey", envelope, key, -1, value, time, key != nullptr);
  return to_handle(key);
}

void destroy_key(LWEnvelopeID env, LWEnvKeyframeID key_id) {
  Envelope *envelope = from_handle(env);
  Key *key = from_handle(key_id);
  bool ok = envelope != nullptr && envelope->destroy(key);
  // `key` is recorded as an address only; it is never followed after this.
  record("destroyKey", envelope, key, -1, 0.0, 0.0, ok);
}

LWEnvKeyframeID find_key(LWEnvelopeID env, LWTime time) {
  Envelope *envelope = from_handle(env);
  Key *key = envelope == nullptr ? nullptr : envelope->find(time);
  record("findKey", envelope, key, -1, 0.0, time, key != nullptr);
  return to_handle(key);
}

LWEnvKeyframeID next_key(LWEnvelopeID env, LWEnvKeyframeID key_id) {
  Envelope *envelope = from_handle(env);
  Key *key = from_handle(key_id);
  Key *next = envelope == nullptr || key == nullptr ? nullptr : key->next;
  record("nextKey", envelope, key, -1, 0.0, 0.0, next != nullptr);
  return to_handle(next);
}

LWEnvKeyframeID prev_key(LWEnvelopeID env, LWEnvKeyframeID key_id) {
  Envelope *envelope = from_handle(env);
  Key *key = from_handle(key_id);
  Key *prev = envelope == nullptr || key == nullptr ? nullptr : key->prev;
  record("prevKey", envelope, key, -1, 0.0, 0.0, prev != nullptr);
  return to_handle(prev);
}

int key_set(LWEnvelopeID env, LWEnvKeyframeID key_id, int tag, void *value) {
  Envelope *envelope = from_handle(env);
  Key *key = from_handle(key_id);
  double given = value == nullptr ? 0.0 : *static_cast<const double *>(value);
  bool ok = false;
  if (envelope != nullptr && key != nullptr && value != nullptr) {
    if (tag == LWKEY_VALUE) {
      key->value = given;
      ok = true;
    } else if (tag == LWKEY_TIME) {
      ok = envelope->set_time(key, given);
    }
  }
  record("keySet", envelope, key, tag, given, 0.0, ok);
  return ok ? 1 : 0;
}

int key_get(LWEnvelopeID env, LWEnvKeyframeID key_id, int tag, void *value) {
  Envelope *envelope = from_handle(env);
  Key *key = from_handle(key_id);
  double read = 0.0;
  bool ok = false;
  if (envelope != nullptr && key != nullptr && value != nullptr) {
    if (tag == LWKEY_VALUE) {
      read = key->value;
      ok = true;
    } else if (tag == LWKEY_TIME) {
      read = key->time;
      ok = true;
    }
    if (ok) *static_cast<double *>(value) = read;
  }
  record("keyGet", envelope, key, tag, read, 0.0, ok);
  return ok ? 1 : 0;
}

const LWEnvelopeFuncs kEnvelopeFuncs = {create_key, destroy_key, find_key, next_key,
                                        prev_key,   key_set,     key_get};

}  // namespace

const LWEnvelopeFuncs &envelope_funcs_table() { return kEnvelopeFuncs; }

}  // namespace host
