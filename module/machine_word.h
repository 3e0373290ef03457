#pragma once

#include <lwmodule.h>

// The machine word of the module's descriptor: the host header's MOD_MACHINE
// where it defines one for the platform built for, else 0x300, the word the
// module has always carried where the host header names none (Linux, where
// the stand-in host loads it).
namespace KeyFrame {

#ifdef MOD_MACHINE
constexpr unsigned int kModuleMachine = MOD_MACHINE;
#else
constexpr unsigned int kModuleMachine = 0x300;
#endif

}  // namespace KeyFrame
