// The module file's one exported symbol: the descriptor the host reads after
// loading, with the start-up and shut-down functions and the server table.
#include <cstdint>

#include "module/export.h"
#include "module/host_interface.h"
#include "module/machine_word.h"
#include "module/servers.h"
#include "module/service_names.h"

namespace {

// Any non-null value tells the host that start-up succeeded; the servers
// keep no per-module data.
void *startup() { return reinterpret_cast<void *>(static_cast<std::uintptr_t>(4)); }

void shutdown(void *) {}

ServerRecord server_table[] = {
    {KeyFrame::kGenericClass, "Tavorix:Scan", KeyFrame::activate_scan, nullptr},
    {KeyFrame::kGenericClass, "Tavorix:InferiorAngle", KeyFrame::activate_inferior_angle, nullptr},
    {KeyFrame::kGenericClass, "Tavorix:SuperiorAngle", KeyFrame::activate_superior_angle, nullptr},
    {KeyFrame::kMasterClass, "Tavorix:RealTime", KeyFrame::activate_realtime, nullptr},
    {nullptr, nullptr, nullptr, nullptr},
};

}  // namespace

// Initialised member by member in the host's order. The padding after the
// machine word is no member of the host's record, so nothing is written for it.
extern "C" {
TAVORIX_EXPORT ModuleDescriptor _mod_descrip = {
    MOD_SYSSYNC, MOD_SYSVER, KeyFrame::kModuleMachine, startup, shutdown, server_table,
};
}
