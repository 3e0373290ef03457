#pragma once

#include "module/host_interface.h"

namespace KeyFrame {

// The three rotation keys that one scan step reads and rewrites together:
// handles of the host's envelope service, heading key, pitch key, bank key.
// The keys belong to the host; the scan never frees them.
struct KeyTriple {
  LWEnvKeyframeID heading = nullptr;
  LWEnvKeyframeID pitch = nullptr;
  LWEnvKeyframeID bank = nullptr;
};

}  // namespace KeyFrame
