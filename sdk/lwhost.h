/*
 * lwhost.h -- the subset of the animation host's plug-in interface that the
 * Tavorix module uses, declared with the host's own names so that any host
 * written against it can load the module.
 *
 * Plain C, usable from C and C++. Member order and signatures are the host's
 * binary layout: do not reorder. Times are seconds (LWTime); angle channel
 * values are radians.
 */
#ifndef TAVORIX_SDK_LWHOST_H
#define TAVORIX_SDK_LWHOST_H

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Basic types and opaque handles ------------------------------------ */

typedef double LWTime;

typedef struct st_LWItem *LWItemID;
typedef struct st_LWChanGroup *LWChanGroupID;
typedef struct st_LWChannel *LWChannelID;
typedef struct st_LWEnvelope *LWEnvelopeID;
typedef struct st_LWEnvKeyframe *LWEnvKeyframeID;
typedef struct st_LWLMon *LWLMonID;
typedef void *LWInstance;
typedef const char *LWError;

/* ---- Constants ----------------------------------------------------------- */

/* Use modes of the global function. */
#define GFUSE_TRANSIENT 0
#define GFUSE_ACQUIRE 1
#define GFUSE_RELEASE 2

/* Activation results. */
#define AFUNC_OK 0
#define AFUNC_BADVERSION 1
#define AFUNC_BADGLOBAL 2
/* The server accepted the call but could not finish its work (for example it
 * ran out of memory). Everything it created during the call was released and
 * no temporary key it planted was left behind. */
#define AFUNC_FAILED 4

#define LWET_ANGLE 5

/* Tags of keyGet/keySet. */
#define LWKEY_VALUE 0
#define LWKEY_TIME 1

/* Master-handler event codes. */
#define LWEVNT_COMMAND 1
#define LWEVNT_TIME 2
#define LWEVNT_SELECT 3

/* Module descriptor identification. */
#define MOD_SYSSYNC 0x04121994
#define MOD_SYSVER 3
#define MOD_MACHINE 0x300

/* Global service names. */
#define LWMESSAGEFUNCS_GLOBAL "Info Messages 2"
#define LWLMONFUNCS_GLOBAL "LWLMonFuncs"
#define LWINTERFACEINFO_GLOBAL "LW Interface Info 7"
#define LWITEMINFO_GLOBAL "LW Item Info 5"
#define LWCHANNELINFO_GLOBAL "Channel Info 2"
#define LWENVELOPEFUNCS_GLOBAL "Animation Envelopes"

/* Server classes and the interface versions they speak. */
#define LWLAYOUTGENERIC_CLASS "LayoutGeneric"
#define LWMASTER_HCLASS "MasterHandler"
#define LWLAYOUTGENERIC_VERSION 2
#define LWMASTER_VERSION 4

/* ---- Module descriptor --------------------------------------------------- */

typedef void *GlobalFunc(const char *serviceName, int useMode);
typedef int ActivateFunc(int version, GlobalFunc *global, void *local, void *serverData);

typedef struct st_ServerRecord {
  const char *className;
  const char *name;
  ActivateFunc *activate;
  void *tagInfo;
} ServerRecord;

typedef struct st_ModuleDescriptor {
  unsigned int sysSync;
  unsigned int sysVersion;
  unsigned int sysMachine;
  unsigned int reserved;
  void *(*startup)(void);
  void (*shutdown)(void *serverData);
  ServerRecord *serverDefs;
} ModuleDescriptor;

/* ---- Service tables ------------------------------------------------------ */

typedef struct st_LWInterfaceInfo {
  LWTime curTime;
  const LWItemID *selItems; /* ended by a null entry */
} LWInterfaceInfo;

typedef struct st_LWItemInfo {
  LWChanGroupID (*chanGroup)(LWItemID item);
} LWItemInfo;

typedef struct st_LWChannelInfo {
  LWChannelID (*nextChannel)(LWChanGroupID group, LWChannelID chan);
  int (*channelType)(LWChannelID chan);
  const char *(*channelName)(LWChannelID chan);
  LWEnvelopeID (*channelEnvelope)(LWChannelID chan);
} LWChannelInfo;

typedef struct st_LWEnvelopeFuncs {
  LWEnvKeyframeID (*createKey)(LWEnvelopeID env, LWTime time, double value);
  void (*destroyKey)(LWEnvelopeID env, LWEnvKeyframeID key);
  LWEnvKeyframeID (*findKey)(LWEnvelopeID env, LWTime time);
  LWEnvKeyframeID (*nextKey)(LWEnvelopeID env, LWEnvKeyframeID key);
  LWEnvKeyframeID (*prevKey)(LWEnvelopeID env, LWEnvKeyframeID key);
  int (*keySet)(LWEnvelopeID env, LWEnvKeyframeID key, int tag, void *value);
  int (*keyGet)(LWEnvelopeID env, LWEnvKeyframeID key, int tag, void *value);
} LWEnvelopeFuncs;

typedef struct st_LWLMonFuncs {
  LWLMonID (*create)(void);
  void (*setup)(LWLMonID mon, const char *title, unsigned int flags, const char *histfile);
  void (*init)(LWLMonID mon, unsigned int total, const char *text);
  int (*step)(LWLMonID mon, unsigned int increment, const char *text);
  void (*done)(LWLMonID mon);
  void (*destroy)(LWLMonID mon);
} LWLMonFuncs;

typedef struct st_LWMessageFuncs {
  void (*info)(const char *line1, const char *line2);
  void (*error)(const char *line1, const char *line2);
  void (*warning)(const char *line1, const char *line2);
} LWMessageFuncs;

/* ---- Server local records ------------------------------------------------ */

typedef struct st_LWLayoutGeneric {
  int (*evaluate)(void *data, const char *command);
  void *data;
} LWLayoutGeneric;

typedef struct st_LWMasterAccess {
  int eventCode;
  void *eventData; /* LWEVNT_COMMAND: the command text */
  void *data;      /* handed back to evaluate */
  int (*evaluate)(void *data, const char *command);
} LWMasterAccess;

typedef struct st_LWInstanceFuncs {
  void *priv;
  LWInstance (*create)(void *priv, void *context, LWError *error);
  void (*destroy)(LWInstance inst);
  LWError (*copy)(LWInstance to, LWInstance from);
  LWError (*load)(LWInstance inst, const void *loadState);
  LWError (*save)(LWInstance inst, const void *saveState);
  const char *(*descln)(LWInstance inst);
} LWInstanceFuncs;

typedef struct st_LWMasterHandler {
  LWInstanceFuncs *inst;
  void *item;
  int type;
  double (*event)(LWInstance inst, const LWMasterAccess *access);
  unsigned int (*flags)(LWInstance inst);
} LWMasterHandler;

#ifdef __cplusplus
} /* extern "C" */
static_assert(sizeof(unsigned int) == 4, "the module descriptor needs 32-bit unsigned int");
#else
_Static_assert(sizeof(unsigned int) == 4, "the module descriptor needs 32-bit unsigned int");
#endif

#endif /* TAVORIX_SDK_LWHOST_H */
