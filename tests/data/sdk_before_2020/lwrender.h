/*
 * lwrender.h as the host's 9.6 headers have it, for building the module
 * against headers older than 2020: the item information table ends at
 * sameItemFlags, and there is no rotation order. The other headers are those
 * of sdk/.
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

/* Every member is a function pointer; the host fills the table by position. */
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
  unsigned int (*serverFlags)(LWItemID item, const char *serverClass, int index);
  void (*controller)(LWItemID item, LWItemParam param, int type[3]);
  unsigned int (*flags)(LWItemID item);
  LWTime (*lookAhead)(LWItemID item);
  double (*goalStrength)(LWItemID item, LWTime time);
  void (*stiffness)(LWItemID item, LWItemParam param, LWDVector vector);
  unsigned int (*axisLocks)(LWItemID item, LWItemParam param);
  unsigned int (*maxLookSteps)(LWItemID item);
  double (*reliableDistance)(LWItemID item);
  unsigned int (*goalObjective)(LWItemID item);
  double (*ikfkBlending)(LWItemID item, LWTime time);
  unsigned int (*ikInitialState)(LWItemID item);
  LWFrame (*ikInitialStateFrame)(LWItemID item, LWTime time);
  unsigned int (*ikSoft)(LWItemID item, LWTime time, unsigned int *distanceType, double *min, double *max);
  LWItemID (*pole)(LWItemID item);
  LWItemID (*sameItem)(LWItemID item, LWItemParam param);
  double (*sameItemBlend)(LWItemID item, LWItemParam param, LWTime time);
  unsigned int (*sameItemBlendMethod)(LWItemID item, LWItemParam param);
  unsigned int (*sameItemFlags)(LWItemID item, LWItemParam param);
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
