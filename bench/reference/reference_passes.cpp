#include "bench/reference/reference_passes.h"

#include "bench/reference/reference_kernels.h"
#include "rotation/finite_angles.h"

namespace scalar_reference {

KeyFrame::AngleTriple align_chain_from_zero(const KeyFrame::AngleTriple *keys, std::size_t count) {
  KeyFrame::AngleTriple previous{0, 0, 0};
  for (std::size_t i = 0; i < count; ++i) {
    KeyFrame::AngleTriple key = keys[i];
    scalar_reference::align_key(previous, key);
    previous = key;
  }
  return previous;
}

void align_chain_in_place(KeyFrame::AngleTriple *values, std::size_t count) {
  scalar_reference::align_chain(values, count);
}

void correct_keys(std::int32_t mode, const KeyFrame::AngleTriple *keys,
                  const KeyFrame::AngleTriple *references, std::size_t count, KeyFrame::AngleTriple *out) {
  for (std::size_t i = 0; i < count; ++i) {
    out[i] = keys[i];
    scalar_reference::correct_key(mode, references[i], out[i]);
  }
}

void correct_records(KeyFrame::KeyInfo *info, std::uint64_t begin, std::uint64_t end) {
  for (std::uint64_t i = begin; i < end; ++i) {
    KeyFrame::KeyRecord &record = info->records[i];
    if (!KeyFrame::is_placeable(record.reference) || !KeyFrame::is_placeable(record.angles)) continue;
    scalar_reference::correct_key(info->mode, record.reference, record.angles);
  }
}

}  // namespace scalar_reference
