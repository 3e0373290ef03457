#include "module/activation.h"

#include "module/host_services.h"

namespace KeyFrame {

int begin_activation(int offered_version, int spoken_version, GlobalFunc *global) {
  if (offered_version != spoken_version) return AFUNC_BADVERSION;
  if (global == nullptr) return AFUNC_BADGLOBAL;
  host_services.message_funcs = static_cast<LWMessageFuncs *>(global(LWMESSAGEFUNCS_GLOBAL, GFUSE_TRANSIENT));
  if (host_services.message_funcs == nullptr) return AFUNC_BADGLOBAL;
  host_services.global = global;
  return AFUNC_OK;
}

}  // namespace KeyFrame
