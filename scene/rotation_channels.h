#pragma once

#include <array>

namespace scene {

// The names of an item's rotation channels, index 0, 1, 2: heading, pitch
// and bank, whatever the item's rotation order. Their keys hold radians.
inline constexpr std::array<const char *, 3> kRotationChannelNames = {"Rotation.H", "Rotation.P",
                                                                      "Rotation.B"};
// The same channels as the reports name them.
inline constexpr std::array<const char *, 3> kRotationChannelWords = {"heading", "pitch", "bank"};

// Turns in radians: π/2, π and 2π, to the nearest double.
inline constexpr double kQuarterTurn = 1.5707963267948966;
inline constexpr double kHalfTurn = 3.141592653589793;
inline constexpr double kWholeTurn = 6.283185307179586;

// Angles compared with these allow this much for values written with 8
// significant digits (6.2831855 is a whole turn, not beyond one).
inline constexpr double kAngleSlack = 1e-6;

}  // namespace scene
