/*
 * lwhost.h -- stand-in for the host's general services: the message
 * functions ("Info Messages 2").
 */
#ifndef TAVORIX_SDK_LWHOST_H
#define TAVORIX_SDK_LWHOST_H

#include "lwserver.h"
#include "lwtypes.h"

#ifdef __cplusplus
extern "C" {
#endif

#define LWMESSAGEFUNCS_GLOBAL "Info Messages 2"

/* Each text function shows one or two lines (the second may be null). The
 * question functions wait for the user's answer. */
typedef struct st_LWMessageFuncs {
  void (*info)(const char *line1, const char *line2);
  void (*error)(const char *line1, const char *line2);
  void (*warning)(const char *line1, const char *line2);
  int (*okCancel)(const char *title, const char *line1, const char *line2);
  int (*yesNo)(const char *title, const char *line1, const char *line2);
  int (*yesNoCan)(const char *title, const char *line1, const char *line2);
  int (*yesNoAll)(const char *title, const char *line1, const char *line2);
} LWMessageFuncs;

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* TAVORIX_SDK_LWHOST_H */
