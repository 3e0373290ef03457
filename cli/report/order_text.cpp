#include "cli/report/order_text.h"

#include "cli/session/rotation_snapshot.h"
#include "motion/channel_roles.h"

namespace cli::report {

std::string order_text(KeyFrame::RotationOrder order) {
  const std::string_view letters = KeyFrame::rotation_order_letters(order);
  if (letters.size() != 3) return "unknown";
  return std::string{letters[0], '-', letters[1], '-', letters[2]};
}

std::string order_note(KeyFrame::RotationOrder order) {
  const std::string middle = session::kRotationChannelWords[motion::channel_roles(order).middle];
  return "rotation order " + order_text(order) + ": " + middle + " is the middle angle (180\u00b0 \u2212 " +
         middle + " in the other triple, gimbal limit at " + middle + " \u00b190\u00b0)";
}

}  // namespace cli::report
