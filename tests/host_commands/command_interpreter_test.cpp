// The stand-in host's command interpreter: what each Layout command does to
// the scene, which events the master handlers see, and how a bad line stops
// a script with the scene as the last good command left it.
#include "layout_commands/command_interpreter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/host.h"
#include "host/service_tables.h"
#include "loader/master_handlers.h"
#include "recording_handler.h"
#include "support/scene_builders.h"

namespace {

using testing_support::HandlerLog;
using testing_support::keys_of;

using Keys = std::vector<std::pair<double, double>>;

constexpr double kRadiansPerDegree = 0.017453292519943295;

struct InterpreterTest : ::testing::Test {
  host::Host host;
  HandlerLog log;
  loader::MasterHandlers handlers{host};
  layout_commands::CommandInterpreter commands{host, nullptr, &handlers};

  InterpreterTest() { handlers.add(testing_support::activate_recorder, &log, "Recorder"); }

  scene::Scene &scene() { return host.scene(); }
  void run(const std::string &script) {
    const layout_commands::CommandResult result = commands.run_script(script);
    ASSERT_TRUE(result.ok) << result.error;
  }
  const Keys heading_keys(const scene::Item &item) { return keys_of(*item.envelope("Rotation.H")); }
};

std::string id_of(const scene::Item &item) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(item.id));
  return text;
}

// ---- Scripts and reports ------------------------------------------------------

TEST_F(InterpreterTest, SkipsBlankAndCommentLinesAndReportsEachCommandAsWritten) {
  const layout_commands::CommandResult result = commands.run_script(
      "# a comment\r\n\r\n   \n  # indented comment\nRefreshNow\r\n  Reset  \nAutoKey\t0");
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.commands_run, 3u);
  EXPECT_EQ(log.commands(), (std::vector<std::string>{"RefreshNow", "  Reset  ", "AutoKey\t0"}));
  EXPECT_FALSE(commands.auto_key());
}

TEST_F(InterpreterTest, ErrorsNameTheLineAndTheCommandAndStopTheScript) {
  scene::Item &item = scene().add_item("A");
  scene().select_only(&item);
  const char *const bad[] = {
      "Bogus",
      "addrotation 1 2 3",
      "AddRotation 1 2",
      "AddRotation 1 2 x",
      "AddRotation 1 2 inf",
      "AddRotation 1 2 1e999",
      "Rotation 1 2 3 4",
      "PivotRotation 1 2",
      "SelectItem 0x12345678",
      "SelectItem zz",
      "SelectItem",
      "SelectByName Nobody",
      "SelectByName",
      "GoToFrame 1.5",
      "GoToFrame",
      "AutoKey 2",
      "RefreshNow now",
      "NextFrame 1",
      "CreateKey",
      "DeleteKey soon",
      "Generic_Tavorix:Scan",  // no module loaded
      "Generic_",
  };
  for (const char *command : bad) {
    SCOPED_TRACE(command);
    log.events.clear();
    item.envelope("Rotation.H")->clear();
    const layout_commands::CommandResult result =
        commands.run_script("AddRotation 1 0 0\n" + std::string(command) + "\nAddRotation 1 0 0");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.line, 2u);
    EXPECT_EQ(result.command, command);
    EXPECT_EQ(result.commands_run, 1u);
    EXPECT_EQ(result.error.rfind("line 2: " + std::string(command) + ": ", 0), 0u) << result.error;
    EXPECT_EQ(heading_keys(item), (Keys{{0.0, 1 * kRadiansPerDegree}}));
    EXPECT_EQ(log.commands(), (std::vector<std::string>{"AddRotation 1 0 0"}));
  }
}

TEST_F(InterpreterTest, SingleCommandErrorNamesTheCommand) {
  const layout_commands::CommandResult result = commands.run_command("GoToFrame x");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.line, 0u);
  EXPECT_EQ(result.error, "GoToFrame x: 'x' is not a whole frame number");
}

// ---- Selection and time ----------------------------------------------------------

TEST_F(InterpreterTest, SelectionCommandsSendASelectionEventOnlyOnAChange) {
  scene::Item &a = scene().add_item("A");
  scene::Item &b = scene().add_item("Big Null");
  run("SelectItem " + id_of(a));
  run("SelectItem " + id_of(a).substr(2));  // the same item, given without "0x"
  run("AddToSelection " + id_of(b));
  EXPECT_EQ(scene().selection(), (std::vector<scene::Item *>{&a, &b}));
  run("AddToSelection " + id_of(b) + "\nRemoveFromSelection " + id_of(a));
  EXPECT_EQ(scene().selection(), (std::vector<scene::Item *>{&b}));
  run("SelectByName   Big Null  \nSelectByName A");
  EXPECT_EQ(scene().selection(), (std::vector<scene::Item *>{&a}));

  const std::string sa = "SelectItem " + id_of(a), sb = "AddToSelection " + id_of(b);
  EXPECT_EQ(log.trace(),
            (std::vector<std::string>{"<select>", sa, "SelectItem " + id_of(a).substr(2), "<select>", sb, sb,
                                      "<select>", "RemoveFromSelection " + id_of(a),
                                      "SelectByName   Big Null  ", "<select>", "SelectByName A"}));
}

TEST_F(InterpreterTest, FrameCommandsSetTheTimeByFrameAndSendATimeEventOnAChange) {
  scene().set_frames_per_second(24.0);
  run("GoToFrame 12");
  EXPECT_EQ(scene().current_time(), 12.0 / 24.0);
  run("NextFrame\nNextFrame\nPreviousFrame");
  EXPECT_EQ(scene().current_time(), 13.0 / 24.0);
  run("GoToFrame -3");
  EXPECT_EQ(scene().current_time(), -3.0 / 24.0);
  run("GoToFrame -3");  // no change, no event

  // From between two frames, the next or previous whole frame.
  scene().set_current_time(2.5 / 24.0);
  run("NextFrame");
  EXPECT_EQ(scene().current_time(), 3.0 / 24.0);
  scene().set_current_time(2.5 / 24.0);
  run("PreviousFrame");
  EXPECT_EQ(scene().current_time(), 2.0 / 24.0);

  EXPECT_EQ(log.trace(),
            (std::vector<std::string>{"<time>", "GoToFrame 12", "<time>", "NextFrame", "<time>", "NextFrame",
                                      "<time>", "PreviousFrame", "<time>", "GoToFrame -3", "GoToFrame -3",
                                      "<time>", "NextFrame", "<time>", "PreviousFrame"}));
}

// ---- Rotation and keys ------------------------------------------------------------

TEST_F(InterpreterTest, RotationWithAutoKeyWritesTheKeysCreatingTheMissingOnes) {
  scene::Item &item = scene().add_item("A");
  scene::Item &other = scene().add_item("B");
  item.envelope("Rotation.H")->create(0.0, 0.0);
  item.envelope("Rotation.H")->create(2.0, 1.0);
  scene().select({&item, &other});
  scene().set_current_time(1.0);

  run("AddRotation 10 20 30");  // heading from the curve's value 0.5 at time 1
  EXPECT_EQ(heading_keys(item), (Keys{{0.0, 0.0}, {1.0, 0.5 + 10 * kRadiansPerDegree}, {2.0, 1.0}}));
  EXPECT_EQ(keys_of(*item.envelope("Rotation.P")), (Keys{{1.0, 20 * kRadiansPerDegree}}));
  EXPECT_EQ(keys_of(*other.envelope("Rotation.B")), (Keys{{1.0, 30 * kRadiansPerDegree}}));
  run("Rotation -5 0 0");
  EXPECT_EQ(heading_keys(item)[1], (std::pair<double, double>{1.0, -5 * kRadiansPerDegree}));
  EXPECT_EQ(keys_of(*item.envelope("Position.X")), Keys{});  // rotation only
  EXPECT_FALSE(commands.has_rotation_override(item));
}

TEST_F(InterpreterTest, RotationWithoutAutoKeyChangesOnlyTheCurrentRotation) {
  scene::Item &item = scene().add_item("A");
  item.envelope("Rotation.H")->create(0.0, 0.25);
  scene().select_only(&item);

  run("AutoKey 0\nAddRotation 10 0 0\nAddRotation 10 0 5");
  EXPECT_EQ(heading_keys(item), (Keys{{0.0, 0.25}}));
  ASSERT_TRUE(commands.has_rotation_override(item));
  EXPECT_EQ(commands.current_rotation(item).heading, 0.25 + 10 * kRadiansPerDegree + 10 * kRadiansPerDegree);
  EXPECT_EQ(commands.current_rotation(item).bank, 5 * kRadiansPerDegree);

  // Keying the current time keeps the current rotation and ends the override.
  run("CreateKey 0");
  EXPECT_FALSE(commands.has_rotation_override(item));
  EXPECT_EQ(heading_keys(item), (Keys{{0.0, 0.25 + 10 * kRadiansPerDegree + 10 * kRadiansPerDegree}}));
  EXPECT_EQ(keys_of(*item.envelope("Rotation.B")), (Keys{{0.0, 5 * kRadiansPerDegree}}));

  // A change of time discards what was not keyed.
  run("Rotation 90 0 0\nGoToFrame 1\nGoToFrame 0");
  EXPECT_FALSE(commands.has_rotation_override(item));
  EXPECT_EQ(commands.current_rotation(item).heading, heading_keys(item)[0].second);
}

TEST_F(InterpreterTest, CreateKeyAndDeleteKeyActOnEveryChannelOfTheSelection) {
  scene::Item &item = scene().add_item("A");
  scene::Item &unselected = scene().add_item("B");
  item.envelope("Position.X")->create(0.0, 3.0);
  item.envelope("Position.X")->create(2.0, 5.0);
  scene().select_only(&item);

  run("CreateKey 1");
  for (const auto &channel : item.channels) {
    EXPECT_NE(channel->envelope.find(1.0), nullptr) << channel->name;
  }
  EXPECT_EQ(item.envelope("Position.X")->find(1.0)->value, 4.0);
  EXPECT_EQ(unselected.envelope("Position.X")->size(), 0u);

  run("DeleteKey 1\nDeleteKey 7");
  for (const auto &channel : item.channels) EXPECT_EQ(channel->envelope.find(1.0), nullptr) << channel->name;
  EXPECT_EQ(item.envelope("Position.X")->size(), 2u);
}

TEST_F(InterpreterTest, PivotCoordinateAndResetCommandsChangeNoKeyButAreReported) {
  scene::Item &item = scene().add_item("A");
  testing_support::add_keys(*item.envelope("Rotation.H"), {{0.0, 0.5}});
  scene().select_only(&item);
  const std::vector<std::string> script = {
      "PivotRotation 1 2 3",   "RecordPivotRotation",    "RotatePivotTool",      "Reset",
      "WorldCoordinateSystem", "ParentCoordinateSystem", "LocalCoordinateSystem"};
  for (const std::string &command : script) run(command);
  EXPECT_EQ(heading_keys(item), (Keys{{0.0, 0.5}}));
  EXPECT_EQ(log.commands(), script);
}

// ---- Commands from handlers -------------------------------------------------------

TEST_F(InterpreterTest, RefreshNowIsCountedAndHandedToTheHook) {
  int seen = 0;
  commands.set_hooks({[&] { ++seen; }, nullptr});
  run("RefreshNow\nRefreshNow");
  EXPECT_EQ(commands.refresh_count(), 2u);
  EXPECT_EQ(seen, 2);
}

TEST_F(InterpreterTest, CommandAHandlerEvaluatesRunsAndIsReportedInsideTheOuterOne) {
  log.on_event = [](const LWMasterAccess &access) {
    const char *text = static_cast<const char *>(access.eventData);
    if (access.eventCode == LWEVNT_COMMAND && std::string(text) == "Reset") {
      EXPECT_EQ(access.evaluate(access.data, "RefreshNow"), 1);
      EXPECT_EQ(access.evaluate(access.data, "Bogus 1"), 0);
    }
  };
  run("Reset\nReset");
  EXPECT_EQ(commands.refresh_count(), 2u);
  EXPECT_EQ(log.commands(), (std::vector<std::string>{"Reset", "RefreshNow", "Reset", "RefreshNow"}));
  EXPECT_EQ(host.commands(), (std::vector<std::string>{"RefreshNow", "Bogus 1", "RefreshNow", "Bogus 1"}));
  EXPECT_EQ(commands.evaluate_errors(),
            (std::vector<std::string>{"Bogus 1: unknown command", "Bogus 1: unknown command"}));
}

TEST_F(InterpreterTest, HandlerAnsweringEveryCommandWithACommandIsCutAtTheNestingLimit) {
  std::vector<int> answers;
  log.on_event = [&](const LWMasterAccess &access) {
    if (access.eventCode == LWEVNT_COMMAND) answers.push_back(access.evaluate(access.data, "RefreshNow"));
  };
  run("RefreshNow");
  EXPECT_EQ(commands.refresh_count(),
            static_cast<std::uint64_t>(layout_commands::CommandInterpreter::kMaxNesting));
  ASSERT_EQ(answers.size(), static_cast<std::size_t>(layout_commands::CommandInterpreter::kMaxNesting));
  EXPECT_EQ(answers.front(), 0);  // the innermost call returns first
  for (std::size_t i = 1; i < answers.size(); ++i) EXPECT_EQ(answers[i], 1);
  ASSERT_EQ(commands.evaluate_errors().size(), 1u);
  EXPECT_NE(commands.evaluate_errors()[0].find("nested"), std::string::npos);

  log.on_event = nullptr;
  run("RefreshNow");  // the nesting count came back down
  EXPECT_EQ(commands.refresh_count(),
            static_cast<std::uint64_t>(layout_commands::CommandInterpreter::kMaxNesting) + 1);
}

// A handler that cannot follow a command says so through the message
// service; the script stops there, with the handler's words.
TEST_F(InterpreterTest, AnErrorAHandlerPostsForACommandStopsTheScript) {
  host.set_print_messages(false);
  log.on_event = [](const LWMasterAccess &access) {
    const char *text = static_cast<const char *>(access.eventData);
    if (access.eventCode == LWEVNT_COMMAND && std::string(text) == "Reset") {
      host::message_funcs_table().error("Recorder could not follow: out of memory.", "Nothing changed.");
    }
  };
  const layout_commands::CommandResult result = commands.run_script("RefreshNow\nReset\nRefreshNow");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.line, 2u);
  EXPECT_EQ(result.error, "line 2: Reset: Recorder could not follow: out of memory. Nothing changed.");
  EXPECT_EQ(commands.refresh_count(), 1u);
}

TEST(Interpreter, UnplugsFromTheHostWhenItGoesAway) {
  host::Host host;
  {
    layout_commands::CommandInterpreter commands(host, nullptr, nullptr);
    EXPECT_EQ(host.evaluate_command("Bogus"), 0);
    EXPECT_EQ(host.evaluate_command("RefreshNow"), 1);
    EXPECT_EQ(commands.refresh_count(), 1u);
  }
  EXPECT_FALSE(static_cast<bool>(host.command_sink));
  EXPECT_EQ(host.evaluate_command("Bogus"), 1);  // no sink: every command succeeds
}

}  // namespace
