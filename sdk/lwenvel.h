/*
 * lwenvel.h -- stand-in for the host's envelopes and channels
 * ("Animation Envelopes", "Channel Info 2").
 *
 * Key times are seconds; the values of angle channels are radians.
 */
#ifndef TAVORIX_SDK_LWENVEL_H
#define TAVORIX_SDK_LWENVEL_H

#include "lwtypes.h"

#ifdef __cplusplus
extern "C" {
#endif

#define LWENVELOPEFUNCS_GLOBAL "Animation Envelopes"
#define LWCHANNELINFO_GLOBAL "Channel Info 2"

typedef void *LWEnvelopeID;
typedef void *LWChanGroupID;
typedef void *LWChannelID;
typedef void *LWEnvKeyframeID;

/* Envelope types. */
#define LWET_FLOAT 2
#define LWET_DISTANCE 3
#define LWET_PERCENT 4
#define LWET_ANGLE 5

/* What keyGet and keySet read or write; `value` points to a double. */
typedef enum en_lwkeytag {
  LWKEY_VALUE,
  LWKEY_TIME,
  LWKEY_SHAPE,
  LWKEY_TENSION,
  LWKEY_CONTINUITY,
  LWKEY_BIAS,
  LWKEY_PARAM_0,
  LWKEY_PARAM_1,
  LWKEY_PARAM_2,
  LWKEY_PARAM_3
} LWKeyTag;

typedef int LWEnvEventFunc(void *data, LWEnvelopeID env, int event, void *eventData);
typedef int LWChanEventFunc(void *data, LWChannelID chan, int event, void *eventData);

typedef struct st_LWEnvelopeFuncs {
  LWEnvelopeID (*create)(LWChanGroupID group, const char *name, int type);
  void (*destroy)(LWEnvelopeID env);
  LWChanGroupID (*createGroup)(LWChanGroupID parent, const char *name);
  void (*destroyGroup)(LWChanGroupID group);
  LWError (*copy)(LWEnvelopeID to, LWEnvelopeID from);
  LWError (*load)(LWEnvelopeID env, const LWLoadState *load);
  LWError (*save)(LWEnvelopeID env, const LWSaveState *save);
  double (*evaluate)(LWEnvelopeID env, LWTime time);
  int (*edit)(LWChanGroupID group, LWEnvelopeID env, int flags, void *data);
  int (*envAge)(LWEnvelopeID env);
  LWEnvKeyframeID (*createKey)(LWEnvelopeID env, LWTime time, double value);
  void (*destroyKey)(LWEnvelopeID env, LWEnvKeyframeID key);
  LWEnvKeyframeID (*findKey)(LWEnvelopeID env, LWTime time);
  LWEnvKeyframeID (*nextKey)(LWEnvelopeID env, LWEnvKeyframeID key);
  LWEnvKeyframeID (*prevKey)(LWEnvelopeID env, LWEnvKeyframeID key);
  int (*keySet)(LWEnvelopeID env, LWEnvKeyframeID key, LWKeyTag tag, void *value);
  int (*keyGet)(LWEnvelopeID env, LWEnvKeyframeID key, LWKeyTag tag, void *value);
  int (*setEnvEvent)(LWEnvelopeID env, LWEnvEventFunc *ev, void *data);
  int (*egSet)(LWEnvelopeID env, LWChanGroupID group, int tag, void *value);
  int (*egGet)(LWEnvelopeID env, LWChanGroupID group, int tag, void *value);
} LWEnvelopeFuncs;

/* Version-2 members after `server` (serverFlags, serverInstance,
 * serverApply, serverRemove) are the host's and not declared here. */
typedef struct st_LWChannelInfo {
  LWChanGroupID (*nextGroup)(LWChanGroupID parent, LWChanGroupID group);
  LWChannelID (*nextChannel)(LWChanGroupID parent, LWChannelID chan);
  const char *(*groupName)(LWChanGroupID group);
  const char *(*channelName)(LWChannelID chan);
  LWChanGroupID (*groupParent)(LWChanGroupID group);
  LWChanGroupID (*channelParent)(LWChannelID chan);
  int (*channelType)(LWChannelID chan);
  double (*channelEvaluate)(LWChannelID chan, LWTime time);
  LWEnvelopeID (*channelEnvelope)(LWChannelID chan);
  int (*setChannelEvent)(LWChannelID chan, LWChanEventFunc *ev, void *data);
  const char *(*server)(LWChannelID chan, const char *serverClass, int index);
} LWChannelInfo;

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* TAVORIX_SDK_LWENVEL_H */
