/*
 * lwrender.h -- stand-in for the host's item and interface information
 * ("LW Item Info 5", which hosts since 2020 also offer as "LW Item Info 9",
 * and "LW Interface Info 7"),
 * in the member order of the host's 2020 headers.
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

/* An item's rotation order (2020 and later), named by the axes and by the
 * channels from the outside in: the classic order H-P-B is Ry(H)*Rx(P)*Rz(B).
 * The reverse of order o is 5 - o. (The host's C++-only request macros for
 * it are left out: this header is plain C.) */
typedef enum en_LWRotationOrder {
  ROTATIONORDER_XYZ = 0,
  ROTATIONORDER_YZX = 1,
  ROTATIONORDER_ZXY = 2,
  ROTATIONORDER_YXZ = 3,
  ROTATIONORDER_XZY = 4,
  ROTATIONORDER_ZYX = 5,
  ROTATIONORDER_PHB = ROTATIONORDER_XYZ,
  ROTATIONORDER_HBP = ROTATIONORDER_YZX,
  ROTATIONORDER_BPH = ROTATIONORDER_ZXY,
  ROTATIONORDER_HPB = ROTATIONORDER_YXZ,
  ROTATIONORDER_PBH = ROTATIONORDER_XZY,
  ROTATIONORDER_BHP = ROTATIONORDER_ZYX,
  NUM_ROTATIONORDERS
} LWRotationOrder;

/* The item callbacks of a handler; the module offers none. */
typedef struct st_LWItemFuncs LWItemFuncs;

/* Every member is a function pointer; the host fills the table by position.
 * The module calls chanGroup and rotationOrder only. The table of hosts
 * before 2020 ends at sameItemFlags; rotationOrder is at offset 320 on
 * 64-bit machines. */
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
  /* Appended by the host's table versions 6 to 8; `follow` takes the host's
   * texture handles (LWTextureID), void * here. */
  unsigned int (*selected)(LWItemID item);
  void (*follow)(LWItemID item, LWItemParam param, int follow[3], void *textures[3]);
  void (*controllerTrans)(LWItemID item, LWItemParam param, double mul[3], double add[3]);
  LWItemID (*splineItem)(LWItemID item);
  unsigned int (*splineFit)(LWItemID item);
  double (*splineT)(LWItemID item, LWTime time);
  /* Appended in 2020 ("LW Item Info 9"). */
  LWRotationOrder (*rotationOrder)(LWItemID item);
  void (*relparam)(LWItemID item, LWItemParam param, LWItemID relativeItem, LWItemParam relativeParam, LWTime time,
                   double *values);
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
