#pragma once

#include <lwenvel.h>

namespace host {

// The "Animation Envelopes" table over scene::Envelope and scene::Key handles.
//
// - Null envelope or key arguments do nothing and answer null or 0.
// - keyGet/keySet: tag LWKEY_VALUE reads/writes the key's value, LWKEY_TIME
//   its time; `value` points to a double. They answer 1 on success and 0 for
//   a null argument, an unknown tag, or a time that cannot be set (not
//   finite, already taken by another key, or a key of another envelope).
//   Setting the time moves the key to its new place in the time order.
// - Calls on different envelopes may run on different threads at once: the
//   table keeps no mutable state of its own. When the current Host records
//   envelope calls, each call is appended under the Host's lock; when it does
//   not, no lock is taken.
// - No exception leaves a callback: out of memory makes createKey answer
//   null, and a call that cannot be recorded is still carried out.
const LWEnvelopeFuncs &envelope_funcs_table();

}  // namespace host
