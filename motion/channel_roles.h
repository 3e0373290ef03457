#pragma once

#include "rotation/rotation_order.h"

namespace motion {

// An item's heading, pitch and bank channels (index 0, 1, 2) by their place
// in its rotation order, letters from the outside in: for P-H-B the first is
// pitch (1), the middle heading (0), the last bank (2). The middle channel is
// the one that becomes π − x in the other triple of an orientation, and the
// one whose quarter turn is the gimbal limit.
struct ChannelRoles {
  int first = 0;
  int middle = 1;
  int last = 2;
};

constexpr int channel_of_letter(char letter) { return letter == 'H' ? 0 : letter == 'P' ? 1 : 2; }

constexpr ChannelRoles channel_roles(KeyFrame::RotationOrder order) {
  const std::string_view letters = KeyFrame::rotation_order_letters(order);
  if (letters.size() != 3) return ChannelRoles{};
  return ChannelRoles{channel_of_letter(letters[0]), channel_of_letter(letters[1]),
                      channel_of_letter(letters[2])};
}

}  // namespace motion
