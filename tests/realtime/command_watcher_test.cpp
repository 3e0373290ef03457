// The watcher's state machine, driven through the built module by command
// scripts in the stand-in host: when tracking starts and ends, which commands
// carry a rotation step, how their amounts are read.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "rotation/rotation_offset.h"
#include "watcher_fixture.h"

namespace {

using KeyFrame::AngleTriple;
using KeyFrame::apply_rotation_offset;
using testing_support::add_rotating_item;
using testing_support::add_rotation;
using testing_support::degrees;
using testing_support::id_text;
using testing_support::minus;
using testing_support::plus;
using testing_support::WatcherScene;
using testing_support::WatcherTest;

bool same(const AngleTriple &a, const AngleTriple &b) {
  return a.heading == b.heading && a.pitch == b.pitch && a.bank == b.bank;
}

#define EXPECT_SAME_TRIPLE(actual, expected)                                                             \
  EXPECT_TRUE(same((actual), (expected)))                                                                \
      << "got (" << (actual).heading << ", " << (actual).pitch << ", " << (actual).bank << "), wanted (" \
      << (expected).heading << ", " << (expected).pitch << ", " << (expected).bank << ")"

const AngleTriple kStart{0.3, -0.2, 0.1};

// ---- Rotation steps -----------------------------------------------------

TEST_F(WatcherTest, OneItemEveryRotationCommandIsAStep) {
  scene::Item &item = selected_item("A", kStart);
  run("AutoKey 0");
  m.host.record_envelope_calls(true);

  AngleTriple expected = kStart;
  for (int step = 1; step <= 3; ++step) {
    SCOPED_TRACE("step " + std::to_string(step));
    m.host.clear_envelope_calls();
    const AngleTriple amount = degrees(2.0 * step, -1.0, 0.5);
    run(add_rotation(2.0 * step, -1.0, 0.5));
    expected = apply_rotation_offset(expected, amount);
    EXPECT_SAME_TRIPLE(keys(item), expected);
    EXPECT_EQ(key_sets(), 3);
    EXPECT_EQ(commands.refresh_count(), static_cast<std::uint64_t>(step));
    EXPECT_TRUE(tracking());
  }
  // The refresh was issued through evaluate: the host ran it as a command.
  EXPECT_EQ(m.host.commands(), (std::vector<std::string>{"RefreshNow", "RefreshNow", "RefreshNow"}));
}

TEST_F(WatcherTest, ThreeItemsOnlyTheLastCommandOfEachGroupIsAStep) {
  scene::Item &a = selected_item("A", kStart);
  scene::Item &b = selected_item("B", {1.0, 0.4, -2.0});
  scene::Item &c = selected_item("C", {-3.0, 2.5, 0.7});
  run("AutoKey 0");

  // First group: only the third command's amounts are read.
  run(add_rotation(90, 90, 90) + "\n" + add_rotation(-90, 45, 0));
  EXPECT_SAME_TRIPLE(keys(a), kStart);
  EXPECT_EQ(commands.refresh_count(), 0u);
  run(add_rotation(3, 1, -2));

  const AngleTriple n = apply_rotation_offset(kStart, degrees(3, 1, -2));
  EXPECT_SAME_TRIPLE(keys(a), n);
  const AngleTriple change = minus(n, kStart);
  EXPECT_SAME_TRIPLE(keys(b), plus(AngleTriple{1.0, 0.4, -2.0}, change));
  EXPECT_SAME_TRIPLE(keys(c), plus(AngleTriple{-3.0, 2.5, 0.7}, change));
  EXPECT_EQ(commands.refresh_count(), 1u);

  // Second group: the sixth command.
  run(add_rotation(1, 1, 1) + "\n" + add_rotation(1, 1, 1));
  EXPECT_EQ(commands.refresh_count(), 1u);
  run(add_rotation(0, 4, 0));
  EXPECT_SAME_TRIPLE(keys(a), apply_rotation_offset(n, degrees(0, 4, 0)));
  EXPECT_EQ(commands.refresh_count(), 2u);
}

TEST_F(WatcherTest, StepsAccumulateFromTheWatchersOwnValues) {
  scene::Item &item = selected_item("A", kStart);
  run("AutoKey 0");
  run(add_rotation(5, 0, 0));
  const AngleTriple first = apply_rotation_offset(kStart, degrees(5, 0, 0));
  ASSERT_TRUE(same(keys(item), first));

  // The keys change behind the watcher's back; the next step starts from
  // what the watcher wrote, not from what the keys hold now.
  testing_support::set_rotation_key(item, 0.0, {2.0, 2.0, 2.0});
  run(add_rotation(0, 5, 0));
  EXPECT_SAME_TRIPLE(keys(item), apply_rotation_offset(first, degrees(0, 5, 0)));
}

TEST_F(WatcherTest, WithAutoKeyTheHostsOwnWriteIsReplacedFromTheSecondStepOn) {
  // The host runs the command (a plain sum into the keys) before reporting
  // it. The first step is collected after that sum, the later ones start
  // from the watcher's values and replace the host's sum.
  scene::Item &item = selected_item("A", kStart);
  run(add_rotation(5, 0, 0));
  const AngleTriple first = apply_rotation_offset(plus(kStart, degrees(5, 0, 0)), degrees(5, 0, 0));
  EXPECT_SAME_TRIPLE(keys(item), first);
  run(add_rotation(0, 5, 0));
  EXPECT_SAME_TRIPLE(keys(item), apply_rotation_offset(first, degrees(0, 5, 0)));
}

TEST_F(WatcherTest, NothingSelectedTracksButNeverSteps) {
  scene::Item &item = add_rotating_item(scene(), "A", {{0.0, kStart}});  // not selected
  m.host.record_envelope_calls(true);
  run(add_rotation(5, 0, 0) + "\n" + add_rotation(5, 0, 0) + "\n" + add_rotation(5, 0, 0));
  EXPECT_TRUE(tracking());
  EXPECT_EQ(commands.refresh_count(), 0u);
  EXPECT_EQ(key_sets(), 0);
  EXPECT_SAME_TRIPLE(keys(item), kStart);
  run("Reset");
  EXPECT_EQ(services_held(), 0);
}

// ---- What ends tracking ------------------------------------------------------

struct Ending {
  const char *command;
  bool dormant;
};

TEST(Watcher, EachEndingCommandDropsTheKeysAndLeavesItsState) {
  const Ending endings[] = {
      {"PivotRotation 0 0 0", false},
      {"RecordPivotRotation", false},
      {"RotatePivotTool", false},
      {"Rotation 0 0 0", false},
      {"Reset", false},
      {"Generic_Tavorix:InferiorAngle", false},
      {"Generic_Tavorix:Scan", false},
      {"ParentCoordinateSystem", true},
  };
  for (const Ending &ending : endings) {
    SCOPED_TRACE(ending.command);
    WatcherScene t;
    scene::Item &item = t.selected_item("A", kStart);
    t.run("AutoKey 0\n" + add_rotation(5, 0, 0));
    ASSERT_TRUE(t.tracking());
    t.run(ending.command);
    EXPECT_EQ(t.services_held(), 0);

    // Armed: the next step collects afresh and corrects; dormant: ignored.
    const AngleTriple before = t.keys(item);
    t.run(add_rotation(0, 5, 0));
    if (ending.dormant) {
      EXPECT_EQ(t.services_held(), 0);
      EXPECT_SAME_TRIPLE(t.keys(item), before);
    } else {
      EXPECT_TRUE(t.tracking());
      EXPECT_SAME_TRIPLE(t.keys(item), apply_rotation_offset(before, degrees(0, 5, 0)));
    }
  }
}

TEST_F(WatcherTest, OtherCommandsKeepTracking) {
  selected_item("A", kStart);
  run("AutoKey 0\n" + add_rotation(5, 0, 0));
  for (const char *command : {"LocalCoordinateSystem", "WorldCoordinateSystem", "RefreshNow", "AutoKey 1",
                              "CreateKey 5", "AutoKey 0"}) {
    SCOPED_TRACE(command);
    run(command);
    EXPECT_TRUE(tracking());
  }
}

TEST_F(WatcherTest, TimeAndSelectionChangesEndTracking) {
  const std::string a = id_text(selected_item("A", kStart));
  const std::string b = id_text(add_rotating_item(scene(), "B", {{0.0, kStart}}));
  for (const std::string &change :
       {std::string("GoToFrame 3"), std::string("NextFrame"), std::string("PreviousFrame"), "SelectItem " + b,
        "AddToSelection " + b, "RemoveFromSelection " + a}) {
    SCOPED_TRACE(change);
    run("GoToFrame 0\nSelectByName A\n" + add_rotation(1, 0, 0));
    ASSERT_TRUE(tracking());
    run(change);
    EXPECT_EQ(services_held(), 0);
  }
  // A command that leaves time and selection as they are sends no event.
  run("GoToFrame 0\nSelectByName A\n" + add_rotation(1, 0, 0) + "\nGoToFrame 0\nSelectItem " + a);
  EXPECT_TRUE(tracking());
}

TEST_F(WatcherTest, TimeSelectionAndUnknownEventsChangeNothingWhenNotTracking) {
  scene::Item &item = selected_item("A", kStart);
  run("AutoKey 0");
  for (int code : {LWEVNT_TIME, LWEVNT_SELECT, 0, 4, -1}) handlers.send(code, nullptr);
  EXPECT_EQ(services_held(), 0);
  run(add_rotation(5, 0, 0));  // still armed
  EXPECT_TRUE(tracking());
  for (int code : {0, 4, 99, -1}) handlers.send(code, nullptr);
  EXPECT_TRUE(tracking());
  EXPECT_SAME_TRIPLE(keys(item), apply_rotation_offset(kStart, degrees(5, 0, 0)));
}

// ---- Coordinate systems ------------------------------------------------------

TEST(Watcher, DormantIgnoresRotationsUntilLocalOrWorld) {
  for (const char *wake : {"LocalCoordinateSystem", "WorldCoordinateSystem"}) {
    SCOPED_TRACE(wake);
    WatcherScene t;
    scene::Item &item = t.selected_item("A", kStart);
    t.run("AutoKey 0\n" + add_rotation(5, 0, 0) + "\nParentCoordinateSystem");
    const AngleTriple dormant = t.keys(item);

    t.run(add_rotation(5, 0, 0) + "\nReset\nRotatePivotTool\n" + add_rotation(5, 0, 0));
    t.handlers.send(LWEVNT_TIME, nullptr);
    EXPECT_EQ(t.services_held(), 0);
    EXPECT_SAME_TRIPLE(t.keys(item), dormant);
    EXPECT_EQ(t.commands.refresh_count(), 1u);

    t.run(std::string(wake) + "\n" + add_rotation(0, 0, 5));
    EXPECT_TRUE(t.tracking());
    EXPECT_SAME_TRIPLE(t.keys(item), apply_rotation_offset(dormant, degrees(0, 0, 5)));
  }
}

TEST_F(WatcherTest, CoordinateCommandsOutsideTheirStatesChangeNothing) {
  scene::Item &item = selected_item("A", kStart);
  // Parent while armed does not make the watcher dormant.
  run("AutoKey 0\nParentCoordinateSystem\n" + add_rotation(5, 0, 0));
  EXPECT_TRUE(tracking());
  EXPECT_SAME_TRIPLE(keys(item), apply_rotation_offset(kStart, degrees(5, 0, 0)));
}

// ---- Prefixes and amounts ------------------------------------------------------

TEST_F(WatcherTest, RotationPrefixNeedsTheBlankAndTheFirstCharacter) {
  scene::Item &item = selected_item("A", kStart);
  run("AutoKey 0");
  handlers.command("AddRotation");
  handlers.command("AddRotation\t5\t0\t0");
  run(" AddRotation 5 0 0");  // the host runs it; the watcher does not see a rotation
  handlers.command("addRotation 5 0 0");
  EXPECT_EQ(services_held(), 0);
  EXPECT_SAME_TRIPLE(keys(item), kStart);
}

TEST(Watcher, AmountsAreReadBlankByBlank) {
  struct Case {
    const char *command;
    AngleTriple amount;
  };
  const Case cases[] = {
      {"AddRotation 10 20", degrees(10, 20, 20)},     // the last number is read again
      {"AddRotation 10  20 30", degrees(10, 0, 20)},  // doubled blank: an empty field
      {"AddRotation 7", degrees(7, 7, 7)},
      {"AddRotation ", degrees(0, 0, 0)},
      {"AddRotation x 2y 3", degrees(0, 2, 3)},   // the longest numeric prefix
      {"AddRotation 1 2 3 4", degrees(1, 2, 3)},  // bank: "3 4" reads as 3
      {"AddRotation -1.5e1 +2 .5", degrees(-15, 2, 0.5)},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.command);
    WatcherScene t;
    scene::Item &item = t.selected_item("A", kStart);
    t.run("AutoKey 0");
    t.handlers.command(c.command);
    EXPECT_SAME_TRIPLE(t.keys(item), apply_rotation_offset(kStart, c.amount));
  }
}

TEST_F(WatcherTest, DoubledBlankInAScriptIsReadWithItsEmptyField) {
  scene::Item &item = selected_item("A", kStart);
  run("AutoKey 0\nAddRotation 10  20 30");  // the host itself reads 10, 20, 30
  EXPECT_SAME_TRIPLE(keys(item), apply_rotation_offset(kStart, degrees(10, 0, 20)));
}

TEST_F(WatcherTest, OnlyTheLastCommandOfTheGroupIsRead) {
  scene::Item &a = selected_item("A", kStart);
  selected_item("B", kStart);
  run("AutoKey 0\n" + add_rotation(10, 0, 0) + "\n" + add_rotation(20, 0, 0));
  EXPECT_SAME_TRIPLE(keys(a), apply_rotation_offset(kStart, degrees(20, 0, 0)));
}

TEST(Watcher, AmountThatIsNotFiniteNeverReachesAKey) {
  for (const char *command : {"AddRotation inf 0 0", "AddRotation 0 nan 0", "AddRotation 0 0 1e999",
                              "AddRotation -INF 1 1", "AddRotation 1e999"}) {
    SCOPED_TRACE(command);
    WatcherScene t;
    scene::Item &item = t.selected_item("A", kStart);
    t.run("AutoKey 0");
    t.m.host.record_envelope_calls(true);
    t.handlers.command(command);
    EXPECT_EQ(t.key_sets(), 0);
    EXPECT_EQ(t.commands.refresh_count(), 0u);
    EXPECT_SAME_TRIPLE(t.keys(item), kStart);
    EXPECT_TRUE(t.tracking());
    t.run(add_rotation(4, 0, 0));  // the next step starts from the untouched values
    EXPECT_SAME_TRIPLE(t.keys(item), apply_rotation_offset(kStart, degrees(4, 0, 0)));
  }
}

TEST_F(WatcherTest, StepWithANonFiniteAmountStillCountsInItsGroup) {
  scene::Item &a = selected_item("A", kStart);
  selected_item("B", kStart);
  run("AutoKey 0\n" + add_rotation(5, 0, 0));
  handlers.command("AddRotation inf 0 0");  // last of the first group
  EXPECT_SAME_TRIPLE(keys(a), kStart);
  run(add_rotation(7, 0, 0));  // first of the second group: not read
  EXPECT_SAME_TRIPLE(keys(a), kStart);
  run(add_rotation(9, 0, 0));
  EXPECT_SAME_TRIPLE(keys(a), apply_rotation_offset(kStart, degrees(9, 0, 0)));
  EXPECT_EQ(commands.refresh_count(), 1u);
}

TEST_F(WatcherTest, CommandEventWithoutTextIsAnEmptyCommand) {
  scene::Item &item = selected_item("A", kStart);
  run("AutoKey 0");
  handlers.send(LWEVNT_COMMAND, nullptr);  // armed
  EXPECT_EQ(services_held(), 0);
  run(add_rotation(5, 0, 0));
  handlers.send(LWEVNT_COMMAND, nullptr);  // tracking
  EXPECT_TRUE(tracking());
  run("ParentCoordinateSystem");
  handlers.send(LWEVNT_COMMAND, nullptr);  // dormant
  run(add_rotation(5, 0, 0));
  EXPECT_EQ(services_held(), 0);
  EXPECT_SAME_TRIPLE(keys(item), apply_rotation_offset(kStart, degrees(5, 0, 0)));
}

// ---- The host's side of tracking -------------------------------------------------

TEST(Watcher, MissingSceneServiceKeepsTheWatcherArmed) {
  for (const char *missing :
       {LWINTERFACEINFO_GLOBAL, LWITEMINFO_GLOBAL, LWCHANNELINFO_GLOBAL, LWENVELOPEFUNCS_GLOBAL}) {
    SCOPED_TRACE(missing);
    WatcherScene t;
    scene::Item &item = add_rotating_item(t.scene(), "A", {{1.0, kStart}});
    t.scene().select_only(&item);
    t.run("AutoKey 0");
    t.m.host.withhold(missing);
    t.run(add_rotation(5, 0, 0));
    EXPECT_TRUE(t.m.host.services_balanced());
    EXPECT_EQ(item.envelope("Rotation.H")->size(), 1u);  // no key planted at time 0
    EXPECT_EQ(t.commands.refresh_count(), 0u);

    t.m.host.withhold(missing, false);
    t.run(add_rotation(5, 0, 0));  // armed all along: this one starts tracking
    EXPECT_TRUE(t.tracking());
    EXPECT_SAME_TRIPLE(t.keys(item), apply_rotation_offset(kStart, degrees(5, 0, 0)));
  }
}

TEST_F(WatcherTest, DeletedKeyIsCollectedAfreshInsteadOfWrittenThrough) {
  scene::Item &item = selected_item("A", kStart);
  run("AutoKey 0\n" + add_rotation(5, 0, 0) + "\nDeleteKey 0");
  ASSERT_FALSE(testing_support::rotation_key(item, 0.0).has_value());
  run(add_rotation(0, 5, 0));
  // No key and no neighbour: the collection plants keys holding 0.
  EXPECT_SAME_TRIPLE(keys(item), apply_rotation_offset(AngleTriple{}, degrees(0, 5, 0)));
  EXPECT_TRUE(tracking());
}

}  // namespace
