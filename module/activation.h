#pragma once

#include "module/host_interface.h"

namespace KeyFrame {

// Why the call being unwound could not finish, in words for the user: "out
// of memory" or "an internal error". Only inside a catch handler.
const char *current_failure_reason() noexcept;

// Tells the user through the message service ("Info Messages 2", stored by
// begin_activation) what failed and why, as "<what>: <reason>.", and in a
// second line what became of the scene. Composes the lines without
// allocating, so it works when memory has run out; shows nothing when the
// host gave no message service.
void report_failure(const char *what, const char *reason, const char *outcome) noexcept;

// report_failure for a command: "<server> could not finish: <reason>."
void report_unfinished(const char *server, const char *reason, const char *outcome) noexcept;

// What the user is told of the scene when a command stopped before it wrote
// anything (or took back all it had done).
constexpr const char *kSceneUnchanged = "The scene was left as it was.";

// Runs the body of a host entry point so that no exception reaches the host.
// Anything thrown is reported through report_unfinished with
// kSceneUnchanged, and the activation answers AFUNC_OK: the host's result
// codes have no value for "could not finish" (each of the others would make
// the host tell the user something false), and the host's convention is to
// post the error and return normally. A body whose failure can leave part of
// its work done catches it itself and reports what was done. Everything the
// body created is owned by scope objects and has been released by the time
// the result is returned.
template <typename Body>
int guard_activation(const char *server, Body &&body) noexcept {
  try {
    return body();
  } catch (...) {
    report_unfinished(server, current_failure_reason(), kSceneUnchanged);
    return AFUNC_OK;
  }
}

// The common start of every activation: the version this server speaks and
// the message service the host must offer. Returns AFUNC_OK to go on, or the
// result to return at once. On success the global function and the message
// service are stored in host_services.
int begin_activation(int offered_version, int spoken_version, GlobalFunc *global);

}  // namespace KeyFrame
