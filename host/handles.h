#pragma once

#include <lwenvel.h>
#include <lwrender.h>

#include "scene/envelope.h"
#include "scene/scene.h"

// The host's handles are untyped pointers (void *); in the stand-in host they
// are the addresses of its own objects: an LWItemID is an Item*, an
// LWChanGroupID is the Item* whose channels form the group, an LWChannelID is
// a Channel*, an LWEnvelopeID an Envelope* and an LWEnvKeyframeID a Key*.
// These conversions are the only place where that is spelled out; since the
// handle types are all one type, each direction back has its own name.
namespace host {

inline LWItemID to_handle(scene::Item *item) { return item; }
inline LWChanGroupID to_group_handle(scene::Item *item) { return item; }
inline LWChannelID to_handle(scene::Channel *channel) { return channel; }
inline LWEnvelopeID to_handle(scene::Envelope *envelope) { return envelope; }
inline LWEnvKeyframeID to_handle(scene::Key *key) { return key; }

inline scene::Item *item_of(LWItemID item) { return static_cast<scene::Item *>(item); }
inline scene::Item *group_item_of(LWChanGroupID group) { return static_cast<scene::Item *>(group); }
inline scene::Channel *channel_of(LWChannelID channel) { return static_cast<scene::Channel *>(channel); }
inline scene::Envelope *envelope_of(LWEnvelopeID envelope) {
  return static_cast<scene::Envelope *>(envelope);
}
inline scene::Key *key_of(LWEnvKeyframeID key) { return static_cast<scene::Key *>(key); }

}  // namespace host
