#pragma once

#include <string>

#include "rotation/rotation_order.h"

namespace cli::report {

// "P-H-B": an item's rotation order as the reports name it, letters from the
// outside in.
std::string order_text(KeyFrame::RotationOrder order);

// What the report says of an item whose order is not H-P-B: "rotation order
// P-H-B: heading is the middle angle (180° − heading in the other triple,
// gimbal limit at heading ±90°)".
std::string order_note(KeyFrame::RotationOrder order);

}  // namespace cli::report
