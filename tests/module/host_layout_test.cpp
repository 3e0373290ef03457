// The host fills and reads its tables by position. Every member the module
// uses must therefore sit at the offset the host's binary layout gives it
// (64-bit targets: Windows x64, macOS, Linux x86-64), and each table must
// reach at least one pointer past the last of them.
#include <gtest/gtest.h>

#include <cstddef>

#include "module/host_interface.h"

namespace {

constexpr bool kSixtyFourBit = sizeof(void *) == 8;

#define EXPECT_MEMBER_AT(Type, member, offset) \
  EXPECT_EQ(offsetof(Type, member), std::size_t{offset}) << #member

// The size a table must at least have when `last_offset` is the offset of
// the last member used.
constexpr std::size_t reaching_past(std::size_t last_offset) { return last_offset + sizeof(void *); }

class HostLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!kSixtyFourBit) GTEST_SKIP() << "the offsets are those of 64-bit targets";
  }
};

TEST_F(HostLayout, ModuleDescriptorAndServerRecords) {
  EXPECT_MEMBER_AT(ModuleDescriptor, sysSync, 0);
  EXPECT_MEMBER_AT(ModuleDescriptor, sysVersion, 4);
  EXPECT_MEMBER_AT(ModuleDescriptor, sysMachine, 8);
  EXPECT_MEMBER_AT(ModuleDescriptor, startup, 16);
  EXPECT_MEMBER_AT(ModuleDescriptor, shutdown, 24);
  EXPECT_MEMBER_AT(ModuleDescriptor, serverDefs, 32);
  EXPECT_EQ(sizeof(ModuleDescriptor), reaching_past(32));
  EXPECT_EQ(sizeof(unsigned int), 4u);

  EXPECT_MEMBER_AT(ServerRecord, className, 0);
  EXPECT_MEMBER_AT(ServerRecord, name, 8);
  EXPECT_MEMBER_AT(ServerRecord, activate, 16);
  EXPECT_MEMBER_AT(ServerRecord, tagInfo, 24);
  EXPECT_EQ(sizeof(ServerRecord), reaching_past(24));
}

TEST_F(HostLayout, MessagesAndProgressMonitor) {
  EXPECT_MEMBER_AT(LWMessageFuncs, info, 0);
  EXPECT_MEMBER_AT(LWMessageFuncs, error, 8);
  EXPECT_MEMBER_AT(LWMessageFuncs, warning, 16);
  EXPECT_GE(sizeof(LWMessageFuncs), reaching_past(8));

  EXPECT_MEMBER_AT(LWLMonFuncs, create, 0);
  EXPECT_MEMBER_AT(LWLMonFuncs, setup, 8);
  EXPECT_MEMBER_AT(LWLMonFuncs, setwinpos, 16);
  EXPECT_MEMBER_AT(LWLMonFuncs, init, 24);
  EXPECT_MEMBER_AT(LWLMonFuncs, step, 32);
  EXPECT_MEMBER_AT(LWLMonFuncs, done, 40);
  EXPECT_MEMBER_AT(LWLMonFuncs, destroy, 48);
  EXPECT_GE(sizeof(LWLMonFuncs), reaching_past(48));
}

TEST_F(HostLayout, InterfaceItemAndChannelInformation) {
  EXPECT_MEMBER_AT(LWInterfaceInfo, curTime, 0);
  EXPECT_MEMBER_AT(LWInterfaceInfo, selItems, 8);
  EXPECT_GE(sizeof(LWInterfaceInfo), reaching_past(8));

  EXPECT_MEMBER_AT(LWItemInfo, chanGroup, 104);
  // The 9.6 table ends at sameItemFlags; 2020 appends six members, then the
  // rotation order ("LW Item Info 9").
  EXPECT_MEMBER_AT(LWItemInfo, sameItemFlags, 264);
  EXPECT_MEMBER_AT(LWItemInfo, splineT, 312);
  EXPECT_MEMBER_AT(LWItemInfo, rotationOrder, 320);
  EXPECT_MEMBER_AT(LWItemInfo, relparam, 328);
  EXPECT_EQ(sizeof(LWItemInfo), 336u);

  EXPECT_MEMBER_AT(LWChannelInfo, nextChannel, 8);
  EXPECT_MEMBER_AT(LWChannelInfo, channelName, 24);
  EXPECT_MEMBER_AT(LWChannelInfo, channelType, 48);
  EXPECT_MEMBER_AT(LWChannelInfo, channelEnvelope, 64);
  EXPECT_GE(sizeof(LWChannelInfo), reaching_past(64));
}

TEST_F(HostLayout, AnimationEnvelopes) {
  EXPECT_MEMBER_AT(LWEnvelopeFuncs, createKey, 80);
  EXPECT_MEMBER_AT(LWEnvelopeFuncs, destroyKey, 88);
  EXPECT_MEMBER_AT(LWEnvelopeFuncs, findKey, 96);
  EXPECT_MEMBER_AT(LWEnvelopeFuncs, nextKey, 104);
  EXPECT_MEMBER_AT(LWEnvelopeFuncs, prevKey, 112);
  EXPECT_MEMBER_AT(LWEnvelopeFuncs, keySet, 120);
  EXPECT_MEMBER_AT(LWEnvelopeFuncs, keyGet, 128);
  EXPECT_GE(sizeof(LWEnvelopeFuncs), reaching_past(128));
  // The members a wrong layout would have reached instead.
  EXPECT_MEMBER_AT(LWEnvelopeFuncs, create, 0);
  EXPECT_MEMBER_AT(LWEnvelopeFuncs, destroy, 8);

  EXPECT_EQ(LWKEY_VALUE, 0);
  EXPECT_EQ(LWKEY_TIME, 1);
  EXPECT_EQ(LWET_ANGLE, 5);
}

TEST_F(HostLayout, GenericAndMasterHandlerRecords) {
  EXPECT_MEMBER_AT(LWLayoutGeneric, saveScene, 0);
  EXPECT_MEMBER_AT(LWLayoutGeneric, data, 16);
  EXPECT_MEMBER_AT(LWLayoutGeneric, evaluate, 40);

  EXPECT_MEMBER_AT(LWMasterAccess, eventCode, 0);
  EXPECT_MEMBER_AT(LWMasterAccess, eventData, 8);
  EXPECT_MEMBER_AT(LWMasterAccess, data, 16);
  EXPECT_MEMBER_AT(LWMasterAccess, evaluate, 40);
  EXPECT_GE(sizeof(LWMasterAccess), reaching_past(40));

  EXPECT_MEMBER_AT(LWMasterHandler, inst, 0);
  EXPECT_MEMBER_AT(LWMasterHandler, item, 8);
  EXPECT_MEMBER_AT(LWMasterHandler, type, 16);
  EXPECT_MEMBER_AT(LWMasterHandler, event, 24);
  EXPECT_MEMBER_AT(LWMasterHandler, flags, 32);
  EXPECT_GE(sizeof(LWMasterHandler), reaching_past(32));

  EXPECT_MEMBER_AT(LWInstanceFuncs, priv, 0);
  EXPECT_MEMBER_AT(LWInstanceFuncs, create, 8);
  EXPECT_MEMBER_AT(LWInstanceFuncs, destroy, 16);
  EXPECT_MEMBER_AT(LWInstanceFuncs, copy, 24);
  EXPECT_MEMBER_AT(LWInstanceFuncs, load, 32);
  EXPECT_MEMBER_AT(LWInstanceFuncs, save, 40);
  EXPECT_MEMBER_AT(LWInstanceFuncs, descln, 48);
  EXPECT_GE(sizeof(LWInstanceFuncs), reaching_past(48));
}

}  // namespace
