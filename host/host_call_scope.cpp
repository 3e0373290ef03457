#include "host/host_call_scope.h"

namespace host {

thread_local int HostCallScope::depth_ = 0;

}  // namespace host
