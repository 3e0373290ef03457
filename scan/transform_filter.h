#pragma once

#include "scan/scan_token.h"
#include "scan/transform_token.h"

namespace KeyFrame {

// The scan's middle stage, run in parallel: aligns one token's values along
// its chain (transform_token). It has no state and never calls the host, so
// any number of tokens may pass through it at once.
class TransformFilter {
 public:
  ScanToken *operator()(ScanToken *token) const {
    transform_token(*token);
    return token;
  }
};

}  // namespace KeyFrame
