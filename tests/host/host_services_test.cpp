#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "host/handles.h"
#include "host/host.h"
#include "host/service_tables.h"
#include "module/host_interface.h"

namespace {

using host::Host;
using host::ServiceUse;
using scene::Item;

const char *const kAllServices[] = {LWMESSAGEFUNCS_GLOBAL,   LWLMONFUNCS_GLOBAL,   LWINTERFACEINFO_GLOBAL,
                                    LWITEMINFO_GLOBAL,       LWCHANNELINFO_GLOBAL, LWENVELOPEFUNCS_GLOBAL,
                                    host::kItemInfoSince2020};

class HostServices : public ::testing::Test {
 protected:
  HostServices() { host.set_print_messages(false); }

  void *ask(const char *name, int mode) { return host.global_function()(name, mode); }

  Host host;
};

TEST_F(HostServices, EveryServiceIsAnsweredForTransientAndAcquireAndCounted) {
  for (const char *name : kAllServices) {
    SCOPED_TRACE(name);
    void *transient = ask(name, GFUSE_TRANSIENT);
    void *acquired = ask(name, GFUSE_ACQUIRE);
    EXPECT_NE(transient, nullptr);
    EXPECT_EQ(acquired, transient);
    EXPECT_EQ(ask(name, GFUSE_RELEASE), nullptr);
    ServiceUse use = host.use_of(name);
    EXPECT_EQ(use.transient, 1);
    EXPECT_EQ(use.acquire, 1);
    EXPECT_EQ(use.release, 1);
    EXPECT_EQ(use.refused, 0);
  }
  EXPECT_TRUE(host.services_balanced());
}

TEST_F(HostServices, UnknownNamesAndUseModesAreRefused) {
  EXPECT_EQ(ask("Animation Envelopes 2", GFUSE_ACQUIRE), nullptr);
  EXPECT_EQ(ask(LWENVELOPEFUNCS_GLOBAL, 3), nullptr);
  EXPECT_EQ(ask(LWENVELOPEFUNCS_GLOBAL, -1), nullptr);
  EXPECT_EQ(ask(nullptr, GFUSE_ACQUIRE), nullptr);
  EXPECT_EQ(host.use_of("Animation Envelopes 2").refused, 1);
  ServiceUse envelopes = host.use_of(LWENVELOPEFUNCS_GLOBAL);
  EXPECT_EQ(envelopes.refused, 2);
  EXPECT_EQ(envelopes.acquire + envelopes.transient, 0);
}

TEST_F(HostServices, AWithheldServiceIsRefusedUntilGivenBack) {
  host.withhold(LWMESSAGEFUNCS_GLOBAL);
  EXPECT_EQ(ask(LWMESSAGEFUNCS_GLOBAL, GFUSE_ACQUIRE), nullptr);
  EXPECT_EQ(ask(LWMESSAGEFUNCS_GLOBAL, GFUSE_TRANSIENT), nullptr);
  EXPECT_NE(ask(LWITEMINFO_GLOBAL, GFUSE_TRANSIENT), nullptr);  // only that one
  ServiceUse use = host.use_of(LWMESSAGEFUNCS_GLOBAL);
  EXPECT_EQ(use.refused, 2);
  EXPECT_EQ(use.acquire, 0);
  EXPECT_TRUE(host.services_balanced());

  host.withhold(LWMESSAGEFUNCS_GLOBAL, false);
  EXPECT_NE(ask(LWMESSAGEFUNCS_GLOBAL, GFUSE_ACQUIRE), nullptr);
}

TEST_F(HostServices, BalanceCatchesUnreleasedAndExtraReleases) {
  ask(LWCHANNELINFO_GLOBAL, GFUSE_ACQUIRE);
  ask(LWCHANNELINFO_GLOBAL, GFUSE_ACQUIRE);
  ask(LWCHANNELINFO_GLOBAL, GFUSE_RELEASE);
  EXPECT_FALSE(host.services_balanced());
  ask(LWCHANNELINFO_GLOBAL, GFUSE_RELEASE);
  EXPECT_TRUE(host.services_balanced());
  ask(LWITEMINFO_GLOBAL, GFUSE_RELEASE);
  EXPECT_FALSE(host.services_balanced());

  host.reset_service_counts();
  EXPECT_TRUE(host.services_balanced());
  EXPECT_EQ(host.use_of(LWCHANNELINFO_GLOBAL).acquire, 0);
}

TEST(HostCurrent, NestedHostsHandTheGlobalFunctionBack) {
  EXPECT_EQ(Host::current(), nullptr);
  EXPECT_EQ(host::global_function(LWITEMINFO_GLOBAL, GFUSE_TRANSIENT), nullptr);
  {
    Host outer;
    {
      Host inner;
      EXPECT_EQ(Host::current(), &inner);
      host::global_function(LWITEMINFO_GLOBAL, GFUSE_TRANSIENT);
      EXPECT_EQ(inner.use_of(LWITEMINFO_GLOBAL).transient, 1);
    }
    EXPECT_EQ(Host::current(), &outer);
    EXPECT_EQ(outer.use_of(LWITEMINFO_GLOBAL).transient, 0);
  }
  EXPECT_EQ(Host::current(), nullptr);
}

std::vector<Item *> selected_items(const LWInterfaceInfo &info) {
  std::vector<Item *> items;
  for (const LWItemID *id = info.selItems; *id != nullptr; ++id) items.push_back(host::item_of(*id));
  return items;
}

TEST_F(HostServices, InterfaceInfoShowsTheSelectionAndTimeWhenHandedOut) {
  Item *a = &host.scene().add_item("A");
  Item *b = &host.scene().add_item("B");
  host.scene().select({b, a});
  host.scene().set_current_time(1.25);

  auto *info = static_cast<LWInterfaceInfo *>(ask(LWINTERFACEINFO_GLOBAL, GFUSE_ACQUIRE));
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->curTime, 1.25);
  EXPECT_EQ(selected_items(*info), (std::vector<Item *>{b, a}));

  host.scene().select_only(a);
  host.scene().set_current_time(2.0);
  info = static_cast<LWInterfaceInfo *>(ask(LWINTERFACEINFO_GLOBAL, GFUSE_TRANSIENT));
  EXPECT_EQ(info->curTime, 2.0);
  EXPECT_EQ(selected_items(*info), (std::vector<Item *>{a}));

  host.scene().clear_selection();
  info = static_cast<LWInterfaceInfo *>(ask(LWINTERFACEINFO_GLOBAL, GFUSE_TRANSIENT));
  ASSERT_NE(info->selItems, nullptr);
  EXPECT_EQ(info->selItems[0], nullptr);
}

TEST_F(HostServices, ChannelInfoWalksTheItemsChannelGroupInOrder) {
  Item &item = host.scene().add_item("Walker");
  auto *items = static_cast<LWItemInfo *>(ask(LWITEMINFO_GLOBAL, GFUSE_TRANSIENT));
  auto *channels = static_cast<LWChannelInfo *>(ask(LWCHANNELINFO_GLOBAL, GFUSE_TRANSIENT));
  LWChanGroupID group = items->chanGroup(host::to_handle(&item));

  std::vector<std::string> names;
  std::vector<int> types;
  for (LWChannelID channel = channels->nextChannel(group, nullptr); channel != nullptr;
       channel = channels->nextChannel(group, channel)) {
    names.emplace_back(channels->channelName(channel));
    types.push_back(channels->channelType(channel));
    EXPECT_EQ(host::envelope_of(channels->channelEnvelope(channel)), item.envelope(names.back()));
  }
  EXPECT_EQ(names, (std::vector<std::string>(scene::kChannelNames.begin(), scene::kChannelNames.end())));
  EXPECT_EQ(types, (std::vector<int>{0, 0, 0, LWET_ANGLE, LWET_ANGLE, LWET_ANGLE, 0, 0, 0}));
}

TEST_F(HostServices, ItemInfo9AnswersEachItemsRotationOrderAndItemInfo5DoesNot) {
  Item &classic = host.scene().add_item("Classic");
  Item &turned = host.scene().add_item("Turned");
  turned.rotation_order = KeyFrame::RotationOrder::kPBH;
  Item &strange = host.scene().add_item("Strange");
  strange.rotation_order = static_cast<KeyFrame::RotationOrder>(9);
  auto *since_2020 = static_cast<LWItemInfo *>(ask(host::kItemInfoSince2020, GFUSE_TRANSIENT));
  EXPECT_EQ(since_2020->rotationOrder(host::to_handle(&classic)), ROTATIONORDER_HPB);
  EXPECT_EQ(since_2020->rotationOrder(host::to_handle(&turned)), ROTATIONORDER_PBH);
  // A host may answer a value no header names; the stand-in passes it on.
  EXPECT_EQ(static_cast<int>(since_2020->rotationOrder(host::to_handle(&strange))), 9);
  EXPECT_EQ(since_2020->chanGroup(host::to_handle(&turned)), host::to_group_handle(&turned));
  // The older name answers a table whose 2020 members are placeholders: a
  // module that reaches the order through it has the wrong layout.
  auto *older = static_cast<LWItemInfo *>(ask(LWITEMINFO_GLOBAL, GFUSE_TRANSIENT));
  EXPECT_NE(older->rotationOrder, since_2020->rotationOrder);
}

TEST_F(HostServices, ChannelInfoAnswersNullForStrangersAndNulls) {
  const LWChannelInfo &channels = host::channel_info_table();
  Item &item = host.scene().add_item("Item");
  Item &other = host.scene().add_item_with_channels("Bare", scene::ItemKind::Light, {});
  LWChanGroupID group = host::item_info_table().chanGroup(host::to_handle(&item));

  EXPECT_EQ(channels.nextChannel(host::to_group_handle(&other), nullptr), nullptr);
  EXPECT_EQ(channels.nextChannel(group, host::to_handle(item.channels.back().get())), nullptr);
  EXPECT_EQ(channels.nextChannel(host::to_group_handle(&other), host::to_handle(item.channels[0].get())),
            nullptr);
  EXPECT_EQ(channels.nextChannel(nullptr, nullptr), nullptr);
  EXPECT_EQ(channels.channelType(nullptr), 0);
  EXPECT_EQ(channels.channelName(nullptr), nullptr);
  EXPECT_EQ(channels.channelEnvelope(nullptr), nullptr);
  EXPECT_EQ(host::item_info_table().chanGroup(nullptr), nullptr);
}

TEST_F(HostServices, MessagesAreRecordedInOrder) {
  auto *messages = static_cast<LWMessageFuncs *>(ask(LWMESSAGEFUNCS_GLOBAL, GFUSE_TRANSIENT));
  messages->info("Scanned: 3 items", nullptr);
  messages->error("Bad", "worse");
  messages->warning(nullptr, "second only");

  auto recorded = host.messages();
  ASSERT_EQ(recorded.size(), 3u);
  EXPECT_EQ(recorded[0].kind, "info");
  EXPECT_EQ(recorded[0].line1, "Scanned: 3 items");
  EXPECT_EQ(recorded[0].line2, "");
  EXPECT_EQ(recorded[1].kind, "error");
  EXPECT_EQ(recorded[1].line2, "worse");
  EXPECT_EQ(recorded[2].kind, "warning");
  EXPECT_EQ(recorded[2].line1, "");
  host.clear_messages();
  EXPECT_TRUE(host.messages().empty());
}

TEST_F(HostServices, CommandsAreRecordedAndHandedToTheSink) {
  EXPECT_EQ(host.evaluate_command("RefreshNow"), 1);  // no sink: accepted

  std::vector<std::string> seen;
  host.command_sink = [&](const std::string &command) {
    seen.push_back(command);
    return 7;
  };
  EXPECT_EQ(host.evaluate_command("RotatePivot 1 2 3"), 7);
  EXPECT_EQ(seen, (std::vector<std::string>{"RotatePivot 1 2 3"}));

  host.command_sink = [](const std::string &) -> int { throw std::runtime_error("interpreter broke"); };
  EXPECT_EQ(host.evaluate_command("Boom"), 0);
  EXPECT_EQ(host.evaluate_command(nullptr), 0);

  EXPECT_EQ(host.commands(), (std::vector<std::string>{"RefreshNow", "RotatePivot 1 2 3", "Boom"}));
}

}  // namespace
