/*
 * lwmaster.h -- stand-in for the host's master handlers: plug-ins that live
 * beside the scene and are told of the host's events.
 */
#ifndef TAVORIX_SDK_LWMASTER_H
#define TAVORIX_SDK_LWMASTER_H

#include "lwgeneric.h"
#include "lwhandler.h"
#include "lwrender.h"

#ifdef __cplusplus
extern "C" {
#endif

#define LWMASTER_HCLASS "MasterHandler"
#define LWMASTER_VERSION 4

/* Event codes; later hosts add more. */
#define LWEVNT_NOTHING 0
#define LWEVNT_COMMAND 1 /* eventData: the command's text */
#define LWEVNT_TIME 2
#define LWEVNT_SELECT 3
#define LWEVNT_RENDER_DONE 4

/* Handed to `event`. `data` goes back to lookup, execute and evaluate. */
typedef struct st_LWMasterAccess {
  int eventCode;
  void *eventData;
  void *data;
  LWCommandCode (*lookup)(void *data, const char *cmdName);
  int (*execute)(void *data, LWCommandCode cmd, int argc, const DynaValue *argv, DynaValue *result);
  int (*evaluate)(void *data, const char *command);
} LWMasterAccess;

/* The local data of a "MasterHandler" activation, filled by the server.
 * `type`: 0 a scene-level handler, 1 a layout-level one. */
typedef struct st_LWMasterHandler {
  LWInstanceFuncs *inst;
  LWItemFuncs *item;
  int type;
  double (*event)(LWInstance inst, const LWMasterAccess *access);
  unsigned int (*flags)(LWInstance inst);
} LWMasterHandler;

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* TAVORIX_SDK_LWMASTER_H */
