/*
 * lwtypes.h -- stand-in for the animation host's basic types.
 *
 * Plain C, usable from C and C++. The module is compiled either against these
 * stand-in headers or against the host SDK's own ones (TAVORIX_LWSDK_DIR);
 * every name here is the host's and means what it means there.
 */
#ifndef TAVORIX_SDK_LWTYPES_H
#define TAVORIX_SDK_LWTYPES_H

/* Frame numbers and times (seconds). */
typedef int LWFrame;
typedef double LWTime;

typedef float LWFVector[3];
typedef double LWDVector[3];

/* A plug-in's instance data, and an error text (null for no error). */
typedef void *LWInstance;
typedef const char *LWError;

/* The states a scene file is read from and written to. The host defines
 * their members; the module only passes them on. */
typedef struct st_LWLoadState LWLoadState;
typedef struct st_LWSaveState LWSaveState;

#endif /* TAVORIX_SDK_LWTYPES_H */
