#pragma once

#include "host/envelope.h"
#include "host/scene.h"
#include "lwhost.h"

// The opaque handles of lwhost.h are the addresses of the stand-in host's own
// objects: an LWItemID is an Item*, an LWChanGroupID is the Item* whose
// channels form the group, an LWChannelID is a Channel*, an LWEnvelopeID an
// Envelope* and an LWEnvKeyframeID a Key*. These conversions are the only
// place where that is spelled out.
namespace host {

inline LWItemID to_handle(Item *item) { return reinterpret_cast<LWItemID>(item); }
inline LWChanGroupID to_group_handle(Item *item) { return reinterpret_cast<LWChanGroupID>(item); }
inline LWChannelID to_handle(Channel *channel) { return reinterpret_cast<LWChannelID>(channel); }
inline LWEnvelopeID to_handle(Envelope *envelope) { return reinterpret_cast<LWEnvelopeID>(envelope); }
inline LWEnvKeyframeID to_handle(Key *key) { return reinterpret_cast<LWEnvKeyframeID>(key); }

inline Item *from_handle(LWItemID item) { return reinterpret_cast<Item *>(item); }
inline Item *from_handle(LWChanGroupID group) { return reinterpret_cast<Item *>(group); }
inline Channel *from_handle(LWChannelID channel) { return reinterpret_cast<Channel *>(channel); }
inline Envelope *from_handle(LWEnvelopeID envelope) { return reinterpret_cast<Envelope *>(envelope); }
inline Key *from_handle(LWEnvKeyframeID key) { return reinterpret_cast<Key *>(key); }

}  // namespace host
