#pragma once

#include <cstdint>

#include "keys/key_info.h"
#include "scan/scan_token.h"

namespace KeyFrame {

// The scan's last stage, serial and in order: writes one token's rewritten
// values back into its keys, heading, pitch, bank per triple, element 0 (the
// anchor) excepted. Tokens arrive in record order, so the k-th token is the
// one filled from record k.
class OutputFilter {
 public:
  explicit OutputFilter(KeyInfo *info) : key_info(info) {}

  void operator()(const ScanToken *token);

  // Index of the record the next arriving token belongs to.
  std::uint64_t next_record = 0;
  KeyInfo *key_info;  // not owned
};

}  // namespace KeyFrame
