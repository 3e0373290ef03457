/*
 * lwmonitor.h -- stand-in for the host's progress monitor ("LWLMonFuncs").
 */
#ifndef TAVORIX_SDK_LWMONITOR_H
#define TAVORIX_SDK_LWMONITOR_H

#ifdef __cplusplus
extern "C" {
#endif

#define LWLMONFUNCS_GLOBAL "LWLMonFuncs"

typedef void *LWLMonID;

/* create, setup, then init with the total, step towards it (a nonzero answer
 * asks to stop), done, destroy. The flags of setup: bit 0 no abort button,
 * bit 1 review (the window stays open for the user to read the messages),
 * bit 2 append to the history file, bit 3 immediate update. */
typedef struct st_LWLMonFuncs {
  LWLMonID (*create)(void);
  void (*setup)(LWLMonID mon, char *title, unsigned int flags, const char *histfile);
  void (*setwinpos)(LWLMonID mon, int x, int y, int w, int h);
  void (*init)(LWLMonID mon, unsigned int total, const char *text);
  int (*step)(LWLMonID mon, unsigned int increment, const char *text);
  void (*done)(LWLMonID mon);
  void (*destroy)(LWLMonID mon);
} LWLMonFuncs;

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* TAVORIX_SDK_LWMONITOR_H */
