// The real-time watcher on items of every rotation order. An item of any
// order is the classic H-P-B item seen through a change of axes: the channels
// of its first, middle and last letters play heading, pitch and bank, negated
// for the orders that are odd permutations of H-P-B. So its step must be the
// classic step of the item so seen, mapped back; the other selected items
// then get the same change of channel angles. The change of axes is written
// here from the letters, apart from the module's own.
#include <gtest/gtest.h>

#include <string>

#include "realtime/watcher_fixture.h"
#include "support/order_matrix.h"

namespace {

using KeyFrame::AngleTriple;
using testing_support::channel;
using testing_support::kOrderLetters;
using testing_support::minus;
using testing_support::plus;
using testing_support::WatcherTest;

// +1 for H-P-B and its cyclic shifts, -1 for the others.
double parity(const std::string &letters) {
  return letters == "HPB" || letters == "PBH" || letters == "BHP" ? 1.0 : -1.0;
}

AngleTriple as_classic(const std::string &letters, const AngleTriple &a) {
  const double s = parity(letters);
  return {s * channel(a, letters[0]), s * channel(a, letters[1]), s * channel(a, letters[2])};
}

AngleTriple from_classic(const std::string &letters, const AngleTriple &c) {
  const double s = parity(letters);
  AngleTriple a;
  channel(a, letters[0]) = s * c.heading;
  channel(a, letters[1]) = s * c.pitch;
  channel(a, letters[2]) = s * c.bank;
  return a;
}

struct RealTimeOrderTest : ::testing::TestWithParam<int> {};

// Keys `a` and `b` on two selected items of `order`, one AddRotation step of
// `step` degrees; the two items' keys after it.
std::pair<AngleTriple, AngleTriple> step_items(int order, const AngleTriple &a, const AngleTriple &b,
                                               const AngleTriple &step) {
  testing_support::WatcherScene w;
  scene::Item &first = w.selected_item("First", a);
  scene::Item &second = w.selected_item("Second", b);
  first.rotation_order = static_cast<KeyFrame::RotationOrder>(order);
  second.rotation_order = static_cast<KeyFrame::RotationOrder>(order);
  w.run("AutoKey 0");
  w.run(testing_support::add_rotation(step.heading, step.pitch, step.bank));
  return {w.keys(first), w.keys(second)};
}

TEST_P(RealTimeOrderTest, ReferenceItemTurnsAsTheClassicItemSeenThroughItsOrder) {
  const std::string letters = kOrderLetters[static_cast<std::size_t>(GetParam())];
  constexpr int kClassic = 3;
  const AngleTriple a{0.4, -0.7, 1.1}, b{-2.0, 0.3, 2.5};
  // Steps inside the gimbal band and outside it, and one large enough to
  // carry a channel past a half turn.
  for (const AngleTriple &step : {AngleTriple{4, -3, 2}, AngleTriple{0, 50, 0}, AngleTriple{170, 0, -20}}) {
    const auto [n, following] = step_items(GetParam(), a, b, step);
    const AngleTriple step_classic = as_classic(letters, step);
    const auto [n_classic, unused] =
        step_items(kClassic, as_classic(letters, a), as_classic(letters, b), step_classic);
    const AngleTriple expected = from_classic(letters, n_classic);
    EXPECT_LT(testing_support::triple_distance(n, expected), 1e-12) << letters;
    // The item's new orientation, in its own order, is the classic one's.
    EXPECT_LT(testing_support::order_matrix_distance(letters, n, expected), 1e-12) << letters;
    const AngleTriple shifted = plus(b, minus(n, a));
    EXPECT_EQ(following.heading, shifted.heading) << letters;
    EXPECT_EQ(following.pitch, shifted.pitch) << letters;
    EXPECT_EQ(following.bank, shifted.bank) << letters;
  }
}

INSTANTIATE_TEST_SUITE_P(EveryOrder, RealTimeOrderTest, ::testing::Range(0, 6),
                         [](const ::testing::TestParamInfo<int> &param) {
                           return kOrderLetters[static_cast<std::size_t>(param.param)];
                         });

}  // namespace
