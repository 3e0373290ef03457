#pragma once

#include <optional>

#include "module/host_interface.h"
#include "rotation/rotation_order.h"

namespace KeyFrame {

// The rotation order of `item` as the host's "LW Item Info 9" table
// (`item_info_since_2020`, as the global function answered it) reports it:
// H-P-B where the table is null (a host before 2020, where every item is
// H-P-B), nothing where the host answers a value outside the six known
// orders.
std::optional<RotationOrder> item_rotation_order(const void *item_info_since_2020, LWItemID item);

}  // namespace KeyFrame
