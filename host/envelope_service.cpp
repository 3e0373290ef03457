#include "host/envelope_service.h"

#include <cstdint>
#include <new>

#include "host/handles.h"
#include "host/host.h"
#include "host/host_call_scope.h"
#include "host/placeholder_members.h"
#include "scene/envelope_evaluation.h"

namespace host {
namespace {

// The Host to record a call into: the current one when it records, else
// null. Two loads and no lock on the way that does not record.
inline Host *recording_host() {
  Host *host = Host::current();
  return host != nullptr && host->recording_envelope_calls() ? host : nullptr;
}

// Appends one call to `host`'s recording. Kept out of line, so the callbacks
// that do not record stay small.
[[gnu::noinline, gnu::cold]] void note_call(Host &host, const char *op, const scene::Envelope *envelope,
                                            const scene::Key *key, int tag, double value, double time,
                                            bool ok) {
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
    host.note_envelope_call(call);
  } catch (...) {
    // Out of memory while recording: the call itself has been carried out.
  }
}

inline void record(const char *op, const scene::Envelope *envelope, const scene::Key *key, int tag,
                   double value, double time, bool ok) {
  if (Host *host = recording_host()) note_call(*host, op, envelope, key, tag, value, time, ok);
}

// Starts loading the key 48 slots (1.5 KiB) after `key`. The module walks keys
// in time order (the scan reads every key of an item), and keys made in time
// order lie in that order in their envelope's blocks, so that is the key it
// asks for soon. Only a hint: nothing is read there, and an address past the
// block costs a wasted fetch at most. Writes get no such hint: the real-time
// watcher writes one key per envelope, and a fetch of the line 1.5 KiB on
// doubled its memory traffic (a 10,000-item step took 1.8 times as long).
constexpr std::uintptr_t kPrefetchDistance = 48 * sizeof(scene::Key);

inline void prefetch_for_read(const scene::Key *key) {
  if (key != nullptr)
    __builtin_prefetch(
        reinterpret_cast<const void *>(reinterpret_cast<std::uintptr_t>(key) + kPrefetchDistance), 0);
}

LWEnvKeyframeID create_key(LWEnvelopeID env, LWTime time, double value) {
  HostCallScope host_code;
  scene::Envelope *envelope = envelope_of(env);
  scene::Key *key = nullptr;
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
  scene::Envelope *envelope = envelope_of(env);
  scene::Key *key = key_of(key_id);
  bool ok = envelope != nullptr && envelope->destroy(key);
  // `key` is recorded as an address only; it is never followed after this.
  record("destroyKey", envelope, key, -1, 0.0, 0.0, ok);
}

LWEnvKeyframeID find_key(LWEnvelopeID env, LWTime time) {
  scene::Envelope *envelope = envelope_of(env);
  scene::Key *key = envelope == nullptr ? nullptr : envelope->find(time);
  prefetch_for_read(key);
  record("findKey", envelope, key, -1, 0.0, time, key != nullptr);
  return to_handle(key);
}

LWEnvKeyframeID next_key(LWEnvelopeID env, LWEnvKeyframeID key_id) {
  scene::Envelope *envelope = envelope_of(env);
  scene::Key *key = key_of(key_id);
  scene::Key *next = envelope == nullptr || key == nullptr ? nullptr : key->next;
  prefetch_for_read(next);
  record("nextKey", envelope, key, -1, 0.0, 0.0, next != nullptr);
  return to_handle(next);
}

LWEnvKeyframeID prev_key(LWEnvelopeID env, LWEnvKeyframeID key_id) {
  scene::Envelope *envelope = envelope_of(env);
  scene::Key *key = key_of(key_id);
  scene::Key *prev = envelope == nullptr || key == nullptr ? nullptr : key->prev;
  record("prevKey", envelope, key, -1, 0.0, 0.0, prev != nullptr);
  return to_handle(prev);
}

int key_set(LWEnvelopeID env, LWEnvKeyframeID key_id, LWKeyTag tag, void *value) {
  scene::Envelope *envelope = envelope_of(env);
  scene::Key *key = key_of(key_id);
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

int key_get(LWEnvelopeID env, LWEnvKeyframeID key_id, LWKeyTag tag, void *value) {
  scene::Envelope *envelope = envelope_of(env);
  scene::Key *key = key_of(key_id);
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

// The curve's value at `time` as Layout evaluates it; 0 for no envelope.
double evaluate(LWEnvelopeID env, LWTime time) {
  const scene::Envelope *envelope = envelope_of(env);
  if (envelope == nullptr) return 0.0;
  const Host *host = Host::current();
  return evaluate_envelope(
      *envelope, time,
      host != nullptr ? host->hermite_tangents() : scene::HermiteTangents::scaled_by_spacing);
}

// Filled member by member, by name; every member the module must never call
// (above all `destroy`, which would take a whole envelope away) is a
// placeholder that reports the call.
LWEnvelopeFuncs make_envelope_funcs() {
  LWEnvelopeFuncs table{};
  HOST_PLACEHOLDER(LWEnvelopeFuncs, table, create);
  HOST_PLACEHOLDER(LWEnvelopeFuncs, table, destroy);
  HOST_PLACEHOLDER(LWEnvelopeFuncs, table, createGroup);
  HOST_PLACEHOLDER(LWEnvelopeFuncs, table, destroyGroup);
  HOST_PLACEHOLDER(LWEnvelopeFuncs, table, copy);
  HOST_PLACEHOLDER(LWEnvelopeFuncs, table, load);
  HOST_PLACEHOLDER(LWEnvelopeFuncs, table, save);
  table.evaluate = evaluate;
  HOST_PLACEHOLDER(LWEnvelopeFuncs, table, edit);
  HOST_PLACEHOLDER(LWEnvelopeFuncs, table, envAge);
  table.createKey = create_key;
  table.destroyKey = destroy_key;
  table.findKey = find_key;
  table.nextKey = next_key;
  table.prevKey = prev_key;
  table.keySet = key_set;
  table.keyGet = key_get;
  HOST_PLACEHOLDER(LWEnvelopeFuncs, table, setEnvEvent);
  HOST_PLACEHOLDER(LWEnvelopeFuncs, table, egSet);
  HOST_PLACEHOLDER(LWEnvelopeFuncs, table, egGet);
  return table;
}

}  // namespace

const LWEnvelopeFuncs &envelope_funcs_table() {
  static const LWEnvelopeFuncs table = make_envelope_funcs();
  return table;
}

}  // namespace host
