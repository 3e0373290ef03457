#include "keys/created_keys.h"

#include "module/host_services.h"

namespace KeyFrame {

void remove_created_keys(const KeyRecord &record) {
  const LWEnvelopeFuncs *env = host_services.envelope_funcs;
  if (record.heading_created && record.heading_key)
    env->destroyKey(record.heading_envelope, record.heading_key);
  if (record.pitch_created && record.pitch_key) env->destroyKey(record.pitch_envelope, record.pitch_key);
  if (record.bank_created && record.bank_key) env->destroyKey(record.bank_envelope, record.bank_key);
}

}  // namespace KeyFrame
