/*
 * lwmodule.h -- stand-in for the host's module descriptor, the one record a
 * plug-in file exports (as _mod_descrip).
 */
#ifndef TAVORIX_SDK_LWMODULE_H
#define TAVORIX_SDK_LWMODULE_H

#include "lwserver.h"

#ifdef __cplusplus
extern "C" {
#endif

#define MOD_SYSSYNC 0x04121994
#define MOD_SYSVER 3

/* The machine word of the platform the host runs on. The host defines none
 * for Linux, where only the stand-in host runs. */
#if defined(_WIN32)
#define MOD_MACHINE 0x300
#elif defined(__APPLE__)
#define MOD_MACHINE 0x400
#endif

/* Three 32-bit words, then (after the padding to the next pointer, which has
 * no member of its own) the start-up and shut-down functions and the server
 * table. */
typedef struct st_ModuleDescriptor {
  unsigned int sysSync;
  unsigned int sysVersion;
  unsigned int sysMachine;
  void *(*startup)(void);
  void (*shutdown)(void *serverData);
  ServerRecord *serverDefs;
} ModuleDescriptor;

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* TAVORIX_SDK_LWMODULE_H */
