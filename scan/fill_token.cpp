#include "scan/fill_token.h"

#include <cstddef>

#include "module/host_services.h"

namespace KeyFrame {
namespace {

double key_value(const LWEnvelopeFuncs *env, LWEnvelopeID envelope, LWEnvKeyframeID key) {
  double value = 0.0;
  env->keyGet(envelope, key, LWKEY_VALUE, &value);
  return value;
}

double key_time(const LWEnvelopeFuncs *env, LWEnvelopeID envelope, LWEnvKeyframeID key) {
  double time = 0.0;
  env->keyGet(envelope, key, LWKEY_TIME, &time);
  return time;
}

// Destroys one key the collection created and drops it from the record.
void destroy_created_key(const LWEnvelopeFuncs *env, LWEnvelopeID envelope, LWEnvKeyframeID &key,
                         std::uint8_t &created) {
  env->destroyKey(envelope, key);
  created = 0;
  key = nullptr;
}

// The first pitch key of the walk.
LWEnvKeyframeID starting_pitch_key(const LWEnvelopeFuncs *env, const KeyRecord &record) {
  const LWEnvelopeID pitch = record.pitch_envelope;
  LWEnvKeyframeID first = env->prevKey(pitch, record.pitch_key);
  if (first != nullptr) {
    for (LWEnvKeyframeID before = env->prevKey(pitch, first); before != nullptr;
         before = env->prevKey(pitch, before)) {
      first = before;
    }
    return first;
  }
  if (!record.pitch_created) return record.pitch_key;
  // The created key goes before the walk; start at the real key after it.
  const LWEnvKeyframeID next = env->nextKey(pitch, record.pitch_key);
  return next != nullptr ? next : record.pitch_key;
}

void append_triple(const LWEnvelopeFuncs *env, const KeyRecord &record, const KeyTriple &keys,
                   ScanToken &token) {
  const AngleTriple values{key_value(env, record.heading_envelope, keys.heading),
                           key_value(env, record.pitch_envelope, keys.pitch),
                           key_value(env, record.bank_envelope, keys.bank)};
  token.keys.push_back(keys);
  token.values.push_back(values);
}

}  // namespace

void fill_token(KeyRecord &record, ScanToken &token) {
  const LWEnvelopeFuncs *env = host_services.envelope_funcs;
  token.order = record.order;
  const LWEnvelopeID heading = record.heading_envelope;
  const LWEnvelopeID pitch = record.pitch_envelope;
  const LWEnvelopeID bank = record.bank_envelope;

  const LWEnvKeyframeID first = starting_pitch_key(env, record);

  // A capacity hint: the walk appends at most one triple per pitch key, so
  // the vectors never grow once the created keys are gone.
  std::size_t pitch_key_count = 0;
  for (LWEnvKeyframeID key = first; key != nullptr; key = env->nextKey(pitch, key)) ++pitch_key_count;
  token.keys.reserve(pitch_key_count);
  token.values.reserve(pitch_key_count);

  LWEnvKeyframeID key = env->nextKey(pitch, first);

  // From here on nothing allocates; the created keys go before the walk.
  if (record.heading_created) destroy_created_key(env, heading, record.heading_key, record.heading_created);
  if (record.pitch_created) {
    if (key == record.pitch_key) key = env->nextKey(pitch, key);
    destroy_created_key(env, pitch, record.pitch_key, record.pitch_created);
  }
  if (record.bank_created) destroy_created_key(env, bank, record.bank_key, record.bank_created);
  if (key == nullptr) return;

  LWEnvKeyframeID previous = env->prevKey(pitch, key);
  for (; key != nullptr; previous = key, key = env->nextKey(pitch, key)) {
    const LWTime time = key_time(env, pitch, key);
    const LWEnvKeyframeID heading_key = env->findKey(heading, time);
    const LWEnvKeyframeID heading_before =
        heading_key != nullptr ? env->prevKey(heading, heading_key) : nullptr;
    const LWEnvKeyframeID bank_key = env->findKey(bank, time);
    const LWEnvKeyframeID bank_before = bank_key != nullptr ? env->prevKey(bank, bank_key) : nullptr;
    if (heading_before == nullptr || bank_before == nullptr || previous == nullptr) continue;  // skipped
    if (previous == first) {
      append_triple(env, record, KeyTriple{heading_before, previous, bank_before}, token);  // the anchor
    }
    append_triple(env, record, KeyTriple{heading_key, key, bank_key}, token);
  }
}

}  // namespace KeyFrame
