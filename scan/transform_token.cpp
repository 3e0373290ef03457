#include "scan/transform_token.h"

#include <cstddef>

#include "keys/finite_angles.h"
#include "rotation/key_kernels.h"

namespace KeyFrame {

void transform_token(ScanToken &token) {
  TokenValues &values = token.values;
  const std::size_t count = values.size();
  // The previous triple, the reference of the next one; null after a damaged one.
  const AngleTriple *reference = count != 0 && is_placeable(values[0]) ? &values[0] : nullptr;
  for (std::size_t i = 1; i < count; ++i) {
    AngleTriple &key = values[i];
    if (!is_placeable(key)) {
      reference = nullptr;
      continue;
    }
    if (reference != nullptr) align_key(*reference, key);
    reference = &key;
  }
}

}  // namespace KeyFrame
