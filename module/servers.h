#pragma once

#include "module/host_interface.h"

// Activation functions of the module's four servers, in the order of the
// server table.
namespace KeyFrame {

extern "C" {
int activate_scan(int version, GlobalFunc *global, void *local, void *server_data);
int activate_inferior_angle(int version, GlobalFunc *global, void *local, void *server_data);
int activate_superior_angle(int version, GlobalFunc *global, void *local, void *server_data);
int activate_realtime(int version, GlobalFunc *global, void *local, void *server_data);
}

}  // namespace KeyFrame
