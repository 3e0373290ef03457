/*
 * lwrender.h -- stand-in for the host's item and interface information
 * ("LW Item Info 5", "LW Interface Info 7").
 */
#ifndef TAVORIX_SDK_LWRENDER_H
#define TAVORIX_SDK_LWRENDER_H

#include "lwenvel.h"
#include "lwtypes.h"

#ifdef __cplusplus
extern "C" {
#endif

#define LWITEMINFO_GLOBAL "LW Item Info 5"
#define LWINTERFACEINFO_GLOBAL "LW Interface Info 7"

typedef void *LWItemID;
typedef int LWItemType;
typedef int LWItemParam;

/* The item callbacks of a handler; the module offers none. */
typedef struct st_LWItemFuncs LWItemFuncs;

/* The members after `server` (flags, look-ahead, IK and goal settings) are
 * the host's and not declared here: the module never reaches them. */
typedef struct st_LWItemInfo {
  LWItemID (*first)(LWItemType type, LWItemID bone_object);
  LWItemID (*next)(LWItemID item);
  LWItemID (*firstChild)(LWItemID parent);
  LWItemID (*nextChild)(LWItemID parent, LWItemID prevChild);
  LWItemID (*parent)(LWItemID item);
  LWItemID (*target)(LWItemID item);
  LWItemID (*goal)(LWItemID item);
  LWItemType (*type)(LWItemID item);
  const char *(*name)(LWItemID item);
  void (*param)(LWItemID item, LWItemParam param, LWTime time, LWDVector vector);
  unsigned int (*limits)(LWItemID item, LWItemParam param, LWDVector min, LWDVector max);
  const char *(*getTag)(LWItemID item, int tag);
  void (*setTag)(LWItemID item, int tag, const char *text);
  LWChanGroupID (*chanGroup)(LWItemID item);
  const char *(*server)(LWItemID item, const char *serverClass, int index);
} LWItemInfo;

/* Further members after dynaUpdate are the host's and not declared here. */
typedef struct st_LWInterfaceInfo {
  LWTime curTime;
  const LWItemID *selItems; /* ended by a null entry */
  unsigned int (*itemFlags)(LWItemID item);
  LWFrame previewStart;
  LWFrame previewEnd;
  LWFrame previewStep;
  int dynaUpdate;
} LWInterfaceInfo;

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* TAVORIX_SDK_LWRENDER_H */
