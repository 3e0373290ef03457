#pragma once

#include <new>

#include "lwhost.h"

namespace KeyFrame {

// Runs the body of a host entry point so that no exception reaches the host:
// anything thrown becomes AFUNC_FAILED. Everything the body created is owned
// by scope objects and has been released by the time the result is returned.
template <typename Body>
int guard_activation(Body &&body) noexcept {
  try {
    return body();
  } catch (...) {
    return AFUNC_FAILED;
  }
}

// The common start of every activation: the version this server speaks and
// the message service the host must offer. Returns AFUNC_OK to go on, or the
// result to return at once. On success the global function is stored in
// host_services.
int begin_activation(int offered_version, int spoken_version, GlobalFunc *global);

}  // namespace KeyFrame
