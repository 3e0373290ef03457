/*
 * lwserver.h -- stand-in for the host's server declarations: the global
 * function, the activation function, server records and activation results.
 */
#ifndef TAVORIX_SDK_LWSERVER_H
#define TAVORIX_SDK_LWSERVER_H

#ifdef __cplusplus
extern "C" {
#endif

/* Use modes of the global function. */
#define GFUSE_TRANSIENT 0
#define GFUSE_ACQUIRE 1
#define GFUSE_RELEASE 2

/* Activation results. None of them means "the work could not finish": the
 * host's convention for that is to tell the user through the message service
 * and return AFUNC_OK. */
#define AFUNC_OK 0
#define AFUNC_BADVERSION 1
#define AFUNC_BADGLOBAL 2
#define AFUNC_BADLOCAL 3
#define AFUNC_BADAPP 4
#define AFUNC_BADAPP_SILENT 5

/* Answers the service table of a global name, or null. */
typedef void *GlobalFunc(const char *serviceName, int useMode);

/* Arguments: the interface version the host offers, the global function,
 * the class-specific local data, the server data that start-up returned. */
typedef int ActivateFunc(int version, GlobalFunc *global, void *local, void *serverData);

typedef struct st_ServerTagInfo {
  const char *string;
  unsigned int tag;
} ServerTagInfo;

/* One server of a module; the table ends with a record of four nulls. */
typedef struct st_ServerRecord {
  const char *className;
  const char *name;
  ActivateFunc *activate;
  ServerTagInfo *tagInfo;
} ServerRecord;

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* TAVORIX_SDK_LWSERVER_H */
