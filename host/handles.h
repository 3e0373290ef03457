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

inline LWItemID to_handle(Item *item) { return item; }
inline LWChanGroupID to_group_handle(Item *item) { return item; }
inline LWChannelID to_handle(Channel *channel) { return channel; }
inline LWEnvelopeID to_handle(Envelope *envelope) { return envelope; }
inline LWEnvKeyframeID to_handle(Key *key) { return key; }

inline Item *item_of(LWItemID item) { return static_cast<Item *>(item); }
inline Item *group_item_of(LWChanGroupID group) { return static_cast<Item *>(group); }
inline Channel *channel_of(LWChannelID channel) { return static_cast<Channel *>(channel); }
inline Envelope *envelope_of(LWEnvelopeID envelope) { return static_cast<Envelope *>(envelope); }
inline Key *key_of(LWEnvKeyframeID key) { return static_cast<Key *>(key); }

}  // namespace host
