#include "scan/output_filter.h"

#include <cstddef>

#include "module/host_services.h"

namespace KeyFrame {

void OutputFilter::operator()(const ScanToken *token) {
  const KeyRecord &record = key_info->records[next_record];
  const LWEnvelopeFuncs *env = host_services.envelope_funcs;
  const std::size_t count = token->keys.size();
  for (std::size_t i = 1; i < count; ++i) {
    const KeyTriple keys = token->keys[i];
    AngleTriple values = token->values[i];
    env->keySet(record.heading_envelope, keys.heading, LWKEY_VALUE, &values.heading);
    env->keySet(record.pitch_envelope, keys.pitch, LWKEY_VALUE, &values.pitch);
    env->keySet(record.bank_envelope, keys.bank, LWKEY_VALUE, &values.bank);
  }
  ++next_record;
}

}  // namespace KeyFrame
