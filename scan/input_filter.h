#pragma once

#include <tbb/parallel_pipeline.h>

#include <cstdint>
#include <memory>
#include <utility>

#include "keys/key_info.h"
#include "scan/scan_token.h"

namespace KeyFrame {

// The scan's first stage, serial and in order: fills the next token from the
// next record (fill_token) and hands it on; stops the pipeline when every
// record has been read. Owns the token array, one token per record, so no
// token is ever handed out twice or waited for.
class InputFilter {
 public:
  InputFilter(std::unique_ptr<ScanToken[]> token_array, std::int32_t count, KeyInfo *info)
      : tokens(std::move(token_array)), token_count(count), key_info(info) {}

  ScanToken *operator()(tbb::flow_control &control);

  // The token array, owned; freed (every token's vectors with it) when the
  // stage is destroyed, whichever way the scan ends.
  std::unique_ptr<ScanToken[]> tokens;
  std::int32_t token_count;
  // Index of the token handed out last. It advances before each call's
  // test, so the positions handed out are 1, 2, ..., N-1, 0.
  std::int32_t ring_position = 0;
  // Index of the next record to read; every record before it has been
  // filled and its created keys are gone.
  std::uint64_t next_record = 0;
  KeyInfo *key_info;  // not owned
};

}  // namespace KeyFrame
