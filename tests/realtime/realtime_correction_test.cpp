// The rotation steps the watcher writes: the reference item follows the
// orientation of its angles plus the step, the other items follow it by the
// same change of angles, and keys never flip. Driven through the built module.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "rotation/rotation_offset.h"
#include "support/orientation.h"
#include "support/thread_count.h"
#include "watcher_fixture.h"

namespace {

using KeyFrame::AngleTriple;
using testing_support::add_rotation;
using testing_support::closed_form_frame;
using testing_support::degrees;
using testing_support::frame_distance;
using testing_support::minus;
using testing_support::orientation_tolerance;
using testing_support::plus;
using testing_support::WatcherScene;
using testing_support::WatcherTest;

constexpr double kPi = 3.141592653589793;
constexpr double kQuarterTurn = kPi / 2;
// Where the read-back of a step is defined otherwise than by the orientation
// alone: beyond this |forward.y| heading and bank are read as one angle ...
constexpr double kGimbalLimit = 0.9995;
// ... and below this |forward.z| the heading is taken as an exact quarter turn.
constexpr double kHeadingDeadBand = 0.0005;

double largest_move(const AngleTriple &from, const AngleTriple &to) {
  return std::fmax(std::fabs(to.heading - from.heading),
                   std::fmax(std::fabs(to.pitch - from.pitch), std::fabs(to.bank - from.bank)));
}

std::string text(const AngleTriple &a) {
  return "(" + std::to_string(a.heading) + ", " + std::to_string(a.pitch) + ", " + std::to_string(a.bank) +
         ")";
}

TEST_F(WatcherTest, FollowingItemsGetTheSameChangeAndAreWrittenInRecordOrder) {
  std::mt19937 rng(17);
  std::uniform_real_distribution<double> angle(-3.0, 3.0);
  std::vector<scene::Item *> items;
  std::vector<AngleTriple> starts;
  for (int i = 0; i < 40; ++i) {
    starts.push_back({angle(rng), angle(rng), angle(rng)});
    items.push_back(&selected_item("Item" + std::to_string(i), starts.back()));
  }
  run("AutoKey 0");
  m.host.record_envelope_calls(true);
  for (int i = 0; i < 39; ++i) run(add_rotation(90, 90, 90));  // not read
  EXPECT_EQ(key_sets(), 0);
  run(add_rotation(4, -3, 2));

  const AngleTriple n = KeyFrame::apply_rotation_offset(starts[0], degrees(4, -3, 2));
  const AngleTriple change = minus(n, starts[0]);
  EXPECT_LT(testing_support::triple_distance(keys(*items[0]), n), 1e-15);
  for (std::size_t i = 1; i < items.size(); ++i) {
    const AngleTriple expected = plus(starts[i], change);
    const AngleTriple got = keys(*items[i]);
    EXPECT_EQ(got.heading, expected.heading) << i;
    EXPECT_EQ(got.pitch, expected.pitch) << i;
    EXPECT_EQ(got.bank, expected.bank) << i;
  }
  std::vector<const scene::Envelope *> written, expected;
  for (const host::EnvelopeCall &call : m.host.envelope_calls()) {
    if (call.op == "keySet") written.push_back(call.envelope);
  }
  for (const scene::Item *item : items) {
    for (const char *channel : {"Rotation.H", "Rotation.P", "Rotation.B"})
      expected.push_back(item->envelope(channel));
  }
  EXPECT_EQ(written, expected);
}

TEST_F(WatcherTest, ReferenceItemHoldingANonFiniteValueLeavesEveryKeyAlone) {
  scene::Item &a = selected_item("A", {std::nan(""), 0.2, 0.3});
  scene::Item &b = selected_item("B", {0.1, 0.2, 0.3});
  run("AutoKey 0");
  m.host.record_envelope_calls(true);
  run(add_rotation(5, 0, 0) + "\n" + add_rotation(5, 0, 0));
  EXPECT_EQ(key_sets(), 0);
  EXPECT_TRUE(std::isnan(keys(a).heading));
  EXPECT_EQ(keys(b).heading, 0.1);
  EXPECT_TRUE(tracking());
}

// The host may unload the module between two events, so a step must not leave
// worker threads of its parallel part running after it returns.
// The steps of one tracking period share the scheduler's worker threads;
// leaving tracking ends them, so none outlives the period.
TEST_F(WatcherTest, TrackingPeriodLeavesNoWorkerThreadBehind) {
  for (int i = 0; i < 64; ++i) selected_item("Item" + std::to_string(i), {0.01 * i, 0.2, 0.3});
  // One period first: it also starts the threads that live as long as the
  // process (a sanitizer's own background thread, for one).
  for (int i = 0; i < 64; ++i) handlers.command(add_rotation(1, 0, 0));
  handlers.time_changed();
  // Counted once the first period's workers are gone from the kernel's list
  // too; a thread left behind keeps the count above it.
  const int before = testing_support::thread_count_at_rest();
  for (int period = 0; period < 3; ++period) {
    for (int step = 0; step < 3; ++step) {
      for (int i = 0; i < 64; ++i) handlers.command(add_rotation(1, 0, 0));
    }
    handlers.time_changed();
    EXPECT_LE(testing_support::thread_count_settled_at(before), before) << "after period " << period;
  }
  EXPECT_EQ(commands.refresh_count(), 10u);
}

// Steps of a few degrees from a random start, with the pitch driven back and
// forth through ±90 degrees. After every step the reference item's keys must
// describe the orientation of its previous values plus the step (the frame of
// A + D, which is what the read-back reproduces), and no angle may move by
// more than a quarter turn. The exceptions the read-back makes on purpose
// (see the named tests below) are counted, not checked.
TEST(RealTimeSteps, RandomSmallStepsFollowTheOrientationWithoutFlips) {
  int gimbal_steps = 0, snapped_headings = 0, checked = 0;
  for (unsigned seed : {1u, 2u, 3u, 4u}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    WatcherScene t;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> start(-1.0, 1.0), step(-3.0, 3.0), push(0.5, 2.5);
    scene::Item &item = t.selected_item("A", {start(rng), start(rng), start(rng)});
    t.run("AutoKey 0");

    double drift = 1.0;  // degrees per step added to the pitch, turned at ±110 degrees
    for (int i = 0; i < 1500; ++i) {
      const AngleTriple before = t.keys(item);
      const double pitch_degrees = before.pitch / testing_support::kRadiansPerDegree;
      if (pitch_degrees > 110) drift = -1.0;
      if (pitch_degrees < -110) drift = 1.0;
      const double h = step(rng), p = step(rng) / 3 + drift * push(rng), b = step(rng);
      t.run(add_rotation(h, p, b));
      const AngleTriple after = t.keys(item);
      const AngleTriple target = plus(before, degrees(h, p, b));
      SCOPED_TRACE("step " + std::to_string(i) + " from " + text(before) + " to " + text(after));

      EXPECT_LE(largest_move(before, after), kQuarterTurn);
      const testing_support::Frame frame = closed_form_frame(target);
      const double forward_y = frame[0][1], forward_z = frame[0][2];
      if (std::fabs(forward_y) > kGimbalLimit) {
        ++gimbal_steps;
      } else if (std::fabs(forward_z) <= kHeadingDeadBand) {
        ++snapped_headings;
      } else {
        ++checked;
        EXPECT_LT(frame_distance(after, target), orientation_tolerance(target));
      }
    }
  }
  EXPECT_GT(gimbal_steps, 10);  // the walks did pass the gimbal limits
  EXPECT_GT(checked, 5000);
  std::printf("%d steps checked, %d in the gimbal band, %d with a snapped heading\n", checked, gimbal_steps,
              snapped_headings);
}

// At pitch -90 degrees only heading + bank is defined. Inside the gimbal band a
// channel whose offset lies in the dead band keeps its value exactly and the
// other channel carries the whole step, so the orientation is still right.
TEST_F(WatcherTest, GimbalBandKeepsTheChannelWhoseOffsetIsInTheDeadBand) {
  const AngleTriple start{kPi / 6, -kPi / 2, kPi / 18};
  scene::Item &item = selected_item("A", start);
  run("AutoKey 0\n" + add_rotation(5, 0, 0.01));  // 0.01 degrees: inside the 0.0005 rad dead band
  const AngleTriple after = keys(item);
  EXPECT_EQ(after.bank, start.bank);
  EXPECT_NEAR(after.heading, start.heading + 5.01 * testing_support::kRadiansPerDegree, 1e-9);
  EXPECT_LT(frame_distance(after, plus(start, degrees(5, 0, 0.01))), 1e-9);
}

// The exception: inside the gimbal band, when both heading and bank are
// stepped, each of them is given the whole combined step, so the keys turn
// by the sum of the two amounts twice over and do not describe the
// orientation of the old values plus the step.
TEST_F(WatcherTest, GimbalBandGivesEachSteppedChannelTheWholeCombinedStep) {
  const AngleTriple start{kPi / 6, -kPi / 2, kPi / 18};
  scene::Item &item = selected_item("A", start);
  run("AutoKey 0\n" + add_rotation(2, 0, 3));
  const AngleTriple after = keys(item);
  EXPECT_NEAR(after.heading, start.heading + 5 * testing_support::kRadiansPerDegree, 1e-9);
  EXPECT_NEAR(after.bank, start.bank + 5 * testing_support::kRadiansPerDegree, 1e-9);
  EXPECT_GT(frame_distance(after, plus(start, degrees(2, 0, 3))), 0.05);
  EXPECT_LT(frame_distance(after, plus(start, degrees(10, 0, 0))), 1e-9);
}

// The other exception: away from the gimbal band, a frame whose forward
// vector has |z| within the dead band gets the heading as an exact quarter
// turn (plus the old whole turns) rather than from atan2.
TEST_F(WatcherTest, HeadingWithinTheDeadBandOfAQuarterTurnIsSnappedToIt) {
  const AngleTriple start{0.4999 * kPi, 0.1, 0.1};
  scene::Item &item = selected_item("A", start);
  run("AutoKey 0\nAddRotation 0 0 0");
  const AngleTriple after = keys(item);
  EXPECT_EQ(after.heading, kPi / 2);
  EXPECT_GT(frame_distance(after, start), 1e-5);
  EXPECT_LT(largest_move(start, after), 1e-3);
}

}  // namespace
