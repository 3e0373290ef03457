#include "module/activation.h"

#include <cstdio>
#include <new>

#include "module/host_services.h"
#include "module/service_names.h"

namespace KeyFrame {

const char *current_failure_reason() noexcept {
  try {
    throw;
  } catch (const std::bad_alloc &) {
    return "out of memory";
  } catch (...) {
    return "an internal error";
  }
}

void report_failure(const char *what, const char *reason, const char *outcome) noexcept {
  const LWMessageFuncs *messages = host_services.message_funcs;
  if (messages == nullptr || messages->error == nullptr) return;
  char line[192];
  std::snprintf(line, sizeof line, "%s: %s.", what, reason);
  messages->error(line, outcome);
}

void report_unfinished(const char *server, const char *reason, const char *outcome) noexcept {
  char what[128];
  std::snprintf(what, sizeof what, "%s could not finish", server);
  report_failure(what, reason, outcome);
}

int begin_activation(int offered_version, int spoken_version, GlobalFunc *global) {
  if (offered_version != spoken_version) return AFUNC_BADVERSION;
  if (global == nullptr) return AFUNC_BADGLOBAL;
  host_services.message_funcs = static_cast<LWMessageFuncs *>(global(kMessageService, GFUSE_TRANSIENT));
  if (host_services.message_funcs == nullptr) return AFUNC_BADGLOBAL;
  host_services.global = global;
  return AFUNC_OK;
}

}  // namespace KeyFrame
