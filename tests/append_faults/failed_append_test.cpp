// The runs that collect keys, with the collection's append of one record
// failing (failing_collection.h): the scan, the two angle commands and the
// real-time watcher each take back every key the collection planted for the
// records before it, read nothing of the failed record's slot, tell the
// user and release what they acquired. The module's code runs inside this
// program, against its stand-in host.
#include <gtest/gtest.h>
#include <lwgeneric.h>
#include <lwmaster.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "append_faults/failing_collection.h"
#include "host/host.h"
#include "module/servers.h"
#include "support/scene_builders.h"

namespace {

using testing_support::keys_of;

// Nine items keyed at times 0 and 2 and a current time of 1: the collection
// plants three keys for every item, and the appends that start a block
// (0, 2, 4, 8) each find complete records before them but the first.
constexpr int kItems = 9;
constexpr std::uint64_t kFailingAppends[] = {0, 2, 4, 8};

using SceneKeys = std::vector<std::vector<std::pair<double, double>>>;

SceneKeys scene_keys(const scene::Scene &scene) {
  SceneKeys keys;
  for (const auto &item : scene.items()) {
    for (const auto &channel : item->channels) keys.push_back(keys_of(channel->envelope));
  }
  return keys;
}

struct FailedAppendRun : ::testing::Test {
  FailedAppendRun() {
    host.set_print_messages(false);
    testing_support::add_selected_items(host.scene(), kItems,
                                        {{0.0, {0.1, 0.2, 0.3}}, {2.0, {1.0, 1.0, 1.0}}});
    host.scene().set_current_time(1.0);
    before = scene_keys(host.scene());
  }

  // The collection stopped at the armed append with every earlier record
  // complete; afterwards the scene has its keys as they were, no more, and
  // nothing is held.
  void expect_taken_back(std::uint64_t failing, const std::string &error_line) {
    const append_faults::FailedAppend append = append_faults::last_failed_append();
    ASSERT_TRUE(append.failed) << "the armed append did not fail";
    EXPECT_EQ(append.item_count, failing);
    EXPECT_EQ(scene_keys(host.scene()), before) << "a planted key was left behind";
    EXPECT_TRUE(host.services_balanced());
    const std::vector<host::HostMessage> messages = host.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, "error");
    EXPECT_EQ(messages[0].line1, error_line);
  }

  host::Host host;
  SceneKeys before;
};

TEST_F(FailedAppendRun, ScanTakesBackThePlantedKeys) {
  for (const std::uint64_t failing : kFailingAppends) {
    SCOPED_TRACE("append " + std::to_string(failing) + " fails");
    host.clear_messages();
    append_faults::fail_append(failing);
    EXPECT_EQ(KeyFrame::activate_scan(LWLAYOUTGENERIC_VERSION, host.global_function(), nullptr, nullptr),
              AFUNC_OK);
    expect_taken_back(failing, "Tavorix:Scan could not finish: out of memory.");
    EXPECT_EQ(host.messages()[0].line2, "The scene was left as it was.");
  }
}

TEST_F(FailedAppendRun, AngleCommandsTakeBackThePlantedKeys) {
  const struct {
    const char *server;
    ActivateFunc *activate;
  } commands[] = {{"Tavorix:InferiorAngle", KeyFrame::activate_inferior_angle},
                  {"Tavorix:SuperiorAngle", KeyFrame::activate_superior_angle}};
  for (const auto &command : commands) {
    for (const std::uint64_t failing : kFailingAppends) {
      SCOPED_TRACE(std::string(command.server) + ", append " + std::to_string(failing) + " fails");
      host.clear_messages();
      append_faults::fail_append(failing);
      EXPECT_EQ(command.activate(LWLAYOUTGENERIC_VERSION, host.global_function(), nullptr, nullptr),
                AFUNC_OK);
      expect_taken_back(failing, std::string(command.server) + " could not finish: out of memory.");
      EXPECT_EQ(host.messages()[0].line2, "The scene was left as it was.");
    }
  }
}

int accept_command(void *, const char *) { return 1; }

// The first rotation command starts tracking, and with it the collection.
// One watcher meets every case in turn: after each failure its next command
// collects afresh.
TEST_F(FailedAppendRun, WatcherTakesBackThePlantedKeys) {
  LWInstanceFuncs functions{};
  LWMasterHandler handler{};
  handler.inst = &functions;
  ASSERT_EQ(KeyFrame::activate_realtime(LWMASTER_VERSION, host.global_function(), &handler, nullptr),
            AFUNC_OK);
  LWError error = nullptr;
  const LWInstance watcher = functions.create(nullptr, nullptr, &error);
  ASSERT_NE(watcher, nullptr);
  for (const std::uint64_t failing : kFailingAppends) {
    SCOPED_TRACE("append " + std::to_string(failing) + " fails");
    host.clear_messages();
    char command[] = "AddRotation 5 0 0";
    LWMasterAccess access{};
    access.eventCode = LWEVNT_COMMAND;
    access.eventData = command;
    access.evaluate = accept_command;
    append_faults::fail_append(failing);
    handler.event(watcher, &access);
    expect_taken_back(failing, "Tavorix:RealTime could not follow the rotation: out of memory.");
  }
  functions.destroy(watcher);
  EXPECT_TRUE(host.services_balanced());
}

}  // namespace
