/*
 * lwgeneric.h -- stand-in for the host's generic commands ("LayoutGeneric"
 * servers) and the command functions they are handed.
 */
#ifndef TAVORIX_SDK_LWGENERIC_H
#define TAVORIX_SDK_LWGENERIC_H

#include "lwtypes.h"

#ifdef __cplusplus
extern "C" {
#endif

#define LWLAYOUTGENERIC_CLASS "LayoutGeneric"
#define LWLAYOUTGENERIC_VERSION 2

typedef int LWCommandCode;

/* A command argument or result. The host defines its members; the module
 * never builds one. */
typedef struct st_DynaValue DynaValue;

/* The local data of a "LayoutGeneric" activation. `evaluate` runs a command
 * given as text; `data` is handed back to lookup, execute and evaluate. */
typedef struct st_LWLayoutGeneric {
  int (*saveScene)(const char *file);
  int (*loadScene)(const char *file, const char *name);
  void *data;
  LWCommandCode (*lookup)(void *data, const char *cmdName);
  int (*execute)(void *data, LWCommandCode cmd, int argc, const DynaValue *argv, DynaValue *result);
  int (*evaluate)(void *data, const char *command);
} LWLayoutGeneric;

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* TAVORIX_SDK_LWGENERIC_H */
