#include "module/host_services.h"

namespace KeyFrame {

HostServices host_services;

}  // namespace KeyFrame
