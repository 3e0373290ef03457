/*
 * lwhandler.h -- stand-in for the host's instance functions: how the host
 * creates, copies, stores and destroys a handler's instances.
 */
#ifndef TAVORIX_SDK_LWHANDLER_H
#define TAVORIX_SDK_LWHANDLER_H

#include "lwtypes.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct st_LWInstanceFuncs {
  void *priv;
  /* Answers the new instance, or null with *error set. */
  LWInstance (*create)(void *priv, void *context, LWError *error);
  void (*destroy)(LWInstance inst);
  LWError (*copy)(LWInstance to, LWInstance from);
  LWError (*load)(LWInstance inst, const LWLoadState *load);
  LWError (*save)(LWInstance inst, const LWSaveState *save);
  const char *(*descln)(LWInstance inst);
} LWInstanceFuncs;

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* TAVORIX_SDK_LWHANDLER_H */
