#include "keys/created_keys.h"

#include <cstdint>

#include "module/host_services.h"

namespace KeyFrame {

void remove_created_keys(const KeyRecord &record) {
  const LWEnvelopeFuncs *env = host_services.envelope_funcs;
  if (record.heading_created && record.heading_key)
    env->destroyKey(record.heading_envelope, record.heading_key);
  if (record.pitch_created && record.pitch_key) env->destroyKey(record.pitch_envelope, record.pitch_key);
  if (record.bank_created && record.bank_key) env->destroyKey(record.bank_envelope, record.bank_key);
}

void take_back_created_keys(const KeyInfo *info) {
  // Bounded by item_count, the collection's own count of the records it
  // appended whole, not by records.size(): after an append whose allocation
  // failed the task library calls the vector broken, its size() is no longer
  // promised to count the records appended, and reading a slot in a block
  // never allocated is undefined.
  for (std::uint64_t i = 0; i < info->item_count; ++i) remove_created_keys(info->records[i]);
}

}  // namespace KeyFrame
