#pragma once

// The host's plug-in interface as the module sees it: the host's own headers,
// found on the include path (the stand-ins in sdk/, or the host SDK's include
// folder when built with TAVORIX_LWSDK_DIR). The module reaches every table
// by member name only and relies on no name beyond the host's: what is the
// module's own lives in module/ (service_names.h, machine_word.h, export.h).
#include <lwenvel.h>
#include <lwgeneric.h>
#include <lwhandler.h>
#include <lwhost.h>
#include <lwmaster.h>
#include <lwmodule.h>
#include <lwmonitor.h>
#include <lwrender.h>
#include <lwserver.h>
#include <lwtypes.h>
