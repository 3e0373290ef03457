#include "realtime/tracking.h"

#include "keys/collect_rotation_keys.h"
#include "keys/created_keys.h"
#include "module/host_services.h"
#include "module/scene_services.h"

namespace KeyFrame {

bool start_tracking(KeyInfo *info) {
  if (!acquire_scene_services()) return false;
  try {
    collect_rotation_keys(info);
  } catch (...) {
    // The keys planted for the records appended so far go again, so an
    // aborted start leaves the scene as it was.
    take_back_created_keys(info);
    // The vector is replaced, not cleared: one whose growth failed keeps its
    // failed blocks marked through clear(), so every later collection into
    // it would fail as well, and clear() would reach the slot of a failed
    // append too.
    RecordVector().swap(info->records);
    release_scene_services();
    throw;
  }
  return true;
}

bool tracked_keys_present(const KeyInfo *info) {
  const LWEnvelopeFuncs *env = host_services.envelope_funcs;
  const LWTime time = info->current_time;
  for (const KeyRecord &record : info->records) {
    if (env->findKey(record.heading_envelope, time) != record.heading_key) return false;
    if (env->findKey(record.pitch_envelope, time) != record.pitch_key) return false;
    if (env->findKey(record.bank_envelope, time) != record.bank_key) return false;
  }
  return true;
}

void stop_tracking(KeyInfo *info) {
  info->records.clear();
  release_scene_services();
}

}  // namespace KeyFrame
