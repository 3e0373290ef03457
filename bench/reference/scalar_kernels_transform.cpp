// The scan's transform stage through today's scalar kernels, for a copy of
// the module that the scan benchmarks run beside the real one: linked ahead
// of the module's own library, this definition stands in for its
// transform_token.
#include "bench/reference/reference_passes.h"
#include "scan/transform_token.h"

namespace KeyFrame {

void transform_token(ScanToken &token) {
  scalar_reference::align_chain_in_place(token.values.data(), token.values.size());
}

}  // namespace KeyFrame
