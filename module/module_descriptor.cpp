// The module file's one exported symbol: the descriptor the host reads after
// loading, with the start-up and shut-down functions and the server table.
#include <cstdint>

#include "lwhost.h"
#include "module/servers.h"

namespace {

// Any non-null value tells the host that start-up succeeded; the servers
// keep no per-module data.
void *startup() { return reinterpret_cast<void *>(static_cast<std::uintptr_t>(4)); }

void shutdown(void *) {}

ServerRecord server_table[] = {
    {LWLAYOUTGENERIC_CLASS, "Tavorix:Scan", KeyFrame::activate_scan, nullptr},
    {LWLAYOUTGENERIC_CLASS, "Tavorix:InferiorAngle", KeyFrame::activate_inferior_angle, nullptr},
    {LWLAYOUTGENERIC_CLASS, "Tavorix:SuperiorAngle", KeyFrame::activate_superior_angle, nullptr},
    {LWMASTER_HCLASS, "Tavorix:RealTime", KeyFrame::activate_realtime, nullptr},
    {nullptr, nullptr, nullptr, nullptr},
};

}  // namespace

extern "C" {
__attribute__((visibility("default"))) ModuleDescriptor _mod_descrip = {
    MOD_SYSSYNC, MOD_SYSVER, MOD_MACHINE, 0, startup, shutdown, server_table,
};
}
