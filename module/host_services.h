#pragma once

#include "module/host_interface.h"

namespace KeyFrame {

// The host's service tables as the latest activation left them. Process-wide:
// written only on the host's thread (activations and handler events) and read
// by the passes, including the scan pipeline's serial stages on worker
// threads while the writing thread waits. The tables belong to the host.
struct HostServices {
  GlobalFunc *global = nullptr;
  LWMessageFuncs *message_funcs = nullptr;
  LWLMonFuncs *monitor_funcs = nullptr;
  LWLMonID monitor = nullptr;
  LWInterfaceInfo *interface_info = nullptr;
  LWItemInfo *item_info = nullptr;
  LWChannelInfo *channel_info = nullptr;
  LWEnvelopeFuncs *envelope_funcs = nullptr;
  // "LW Item Info 9", or null where the host is older than 2020 (every item
  // is then H-P-B). Kept untyped: headers before 2020 declare a shorter
  // table under the same type name (item_rotation_order.h reads it).
  void *item_info_since_2020 = nullptr;
};

extern HostServices host_services;

}  // namespace KeyFrame
