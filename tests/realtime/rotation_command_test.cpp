// Reading an "AddRotation " command's text, without a host.
#include "realtime/rotation_command.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using KeyFrame::begins_with;
using KeyFrame::read_rotation_offset;

constexpr double kRadiansPerDegree = 0.017453292519943295;

TEST(RotationCommand, PrefixMatchesWholeAndFromTheFirstByteOnly) {
  EXPECT_TRUE(begins_with("AddRotation 1 2 3", "AddRotation "));
  EXPECT_TRUE(begins_with("AddRotation ", "AddRotation "));
  EXPECT_FALSE(begins_with("AddRotation", "AddRotation "));
  EXPECT_FALSE(begins_with(" AddRotation 1 2 3", "AddRotation "));
  EXPECT_FALSE(begins_with("addRotation 1 2 3", "AddRotation "));
  EXPECT_FALSE(begins_with("", "Piv"));
  EXPECT_TRUE(begins_with("Pivot", "Piv"));
}

TEST(RotationCommand, AmountsOverflowingADoubleComeBackInfinite) {
  // atof leaves this case undefined; the watcher relies on seeing it.
  const KeyFrame::AngleTriple offset = read_rotation_offset("AddRotation 1e999 -1e999 1e308");
  EXPECT_TRUE(std::isinf(offset.heading) && offset.heading > 0);
  EXPECT_TRUE(std::isinf(offset.pitch) && offset.pitch < 0);
  EXPECT_EQ(offset.bank, 1e308 * kRadiansPerDegree);
}

TEST(RotationCommand, DegreesBecomeRadiansWithTheFixedFactor) {
  const KeyFrame::AngleTriple offset = read_rotation_offset("AddRotation 180 -90 0.5");
  EXPECT_EQ(offset.heading, 180 * kRadiansPerDegree);
  EXPECT_EQ(offset.pitch, -90 * kRadiansPerDegree);
  EXPECT_EQ(offset.bank, 0.5 * kRadiansPerDegree);
}

}  // namespace
