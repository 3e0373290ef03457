// Keys holding NaN or an infinity, met by every server: the damaged triple
// is left exactly as it was, the value spreads nowhere, and the other items
// are still handled.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>

#include "hostile_scene.h"
#include "layout_commands/command_interpreter.h"
#include "rotation/rotation_offset.h"

namespace {

using hostile::AngleTriple;
using hostile::HostileScene;
using hostile::HostileTest;
using hostile::key_at;
using hostile::kFrame;
using hostile::kInf;
using hostile::kNaN;
using hostile::kPi;
using hostile::same_bits;
using hostile::same_orientation;
using hostile::Server;
using hostile::text;

constexpr double kRadiansPerDegree = 0.017453292519943295;
const AngleTriple kStep{2 * kRadiansPerDegree, -1 * kRadiansPerDegree, 0.5 * kRadiansPerDegree};

// The other Euler triple of the same orientation.
AngleTriple flipped(const AngleTriple &a) { return {a.heading + kPi, kPi - a.pitch, a.bank + kPi}; }

AngleTriple with_component(AngleTriple a, int channel, double value) {
  (channel == 0 ? a.heading : channel == 1 ? a.pitch : a.bank) = value;
  return a;
}

// ---- A damaged key among good ones, every server ---------------------------

using DamageCase = std::tuple<Server, int, double>;  // server, channel, value

class DamagedKeyTest : public ::testing::TestWithParam<DamageCase>, public HostileScene {};

TEST_P(DamagedKeyTest, IsLeftExactlyAsItWasWhileTheGoodItemIsHandled) {
  const auto [server, channel, value] = GetParam();
  const AngleTriple good0{0.3, -0.2, 0.1};
  const AngleTriple good1{0.35, -0.15, 0.12};
  scene::Item &good = selected_item("Good", {{0.0, good0}, {kFrame, flipped(good1)}});
  const AngleTriple damaged = with_component({0.5, 0.4, -0.3}, channel, value);
  const AngleTriple after_damaged{0.55, 0.45, -0.25};
  scene::Item &bad = selected_item("Bad", {{0.0, damaged}, {kFrame, after_damaged}});

  run_and_check(server);

  EXPECT_TRUE(same_bits(key_at(bad, 0.0), damaged)) << text(key_at(bad, 0.0));
  // Its successor's previous triple is the damaged one: kept as well.
  EXPECT_TRUE(same_bits(key_at(bad, kFrame), after_damaged)) << text(key_at(bad, kFrame));

  switch (server) {
    case Server::Scan:
      EXPECT_LT(testing_support::triple_distance(key_at(good, kFrame), good1), 1e-9)
          << text(key_at(good, kFrame));
      break;
    case Server::Inferior:
    case Server::Superior:
      EXPECT_FALSE(same_bits(key_at(good, 0.0), good0)) << "the good item was not corrected";
      EXPECT_TRUE(same_orientation(good0, key_at(good, 0.0))) << text(key_at(good, 0.0));
      break;
    case Server::RealTime:
      EXPECT_LT(
          testing_support::triple_distance(key_at(good, 0.0), KeyFrame::apply_rotation_offset(good0, kStep)),
          1e-12)
          << text(key_at(good, 0.0));
      break;
  }
}

std::string damage_case_name(const ::testing::TestParamInfo<DamageCase> &info) {
  const auto [server, channel, value] = info.param;
  const char *channels[] = {"Heading", "Pitch", "Bank"};
  const std::string kind = std::isnan(value) ? "NaN" : value > 0 ? "PlusInfinity" : "MinusInfinity";
  return hostile::server_label(server) + "_" + channels[channel] + "_" + kind;
}

INSTANTIATE_TEST_SUITE_P(EveryServer, DamagedKeyTest,
                         ::testing::Combine(::testing::ValuesIn(hostile::kAllServers),
                                            ::testing::Values(0, 1, 2), ::testing::Values(kNaN, kInf, -kInf)),
                         damage_case_name);

// ---- The real-time watcher: record 0 and the following records --------------

TEST_F(HostileTest, RealTimeStepWithADamagedReferenceItemChangesNoKey) {
  selected_item("Bad", {{0.0, {0.5, kNaN, -0.3}}});
  selected_item("Good", {{0.0, {0.3, -0.2, 0.1}}});
  const hostile::KeyBits before = hostile::rotation_key_bits(scene());
  run_and_check(Server::RealTime);
  EXPECT_EQ(hostile::rotation_key_bits(scene()), before);
}

// Regression: the following records were shifted by the reference item's
// change whatever they held, so a NaN pitch left the finite heading and bank
// of its key moved around it.
TEST_F(HostileTest, RealTimeStepLeavesADamagedFollowingItemExactlyAsItWas) {
  scene::Item &good = selected_item("Good", {{0.0, {0.3, -0.2, 0.1}}});
  const AngleTriple damaged{0.5, kNaN, -0.3};
  scene::Item &bad = selected_item("Bad", {{0.0, damaged}});
  scene::Item &other = selected_item("Other", {{0.0, {1.0, 0.2, 0.4}}});

  run_and_check(Server::RealTime);

  EXPECT_TRUE(same_bits(key_at(bad, 0.0), damaged)) << text(key_at(bad, 0.0));
  const AngleTriple turned = KeyFrame::apply_rotation_offset({0.3, -0.2, 0.1}, kStep);
  EXPECT_TRUE(same_bits(key_at(good, 0.0), turned));
  const AngleTriple change{turned.heading - 0.3, turned.pitch + 0.2, turned.bank - 0.1};
  EXPECT_LT(testing_support::triple_distance(key_at(other, 0.0),
                                             {1.0 + change.heading, 0.2 + change.pitch, 0.4 + change.bank}),
            1e-15);
}

// The watcher as the host drives it: each command run by the host's command
// interpreter, which reports it to the handlers. AutoKey is off, so the
// watcher alone writes keys.
TEST_F(HostileTest, RealTimeThroughTheCommandInterpreter) {
  const AngleTriple start{0.3, -0.2, 0.1};
  scene::Item &good = selected_item("Good", {{0.0, start}});
  const AngleTriple damaged{kInf, 0.4, -0.3};
  scene::Item &bad = selected_item("Bad", {{0.0, damaged}});
  const loader::MasterHandlers::Id watcher = handlers.add(*m.module, "Tavorix:RealTime");
  {
    layout_commands::CommandInterpreter commands(m.host, m.module.get(), &handlers);
    const layout_commands::CommandResult result =
        commands.run_script("AutoKey 0\nAddRotation 2 -1 0.5\nAddRotation 2 -1 0.5\n");
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(commands.refresh_count(), 1u);
  }
  EXPECT_TRUE(same_bits(key_at(bad, 0.0), damaged)) << text(key_at(bad, 0.0));
  EXPECT_TRUE(same_bits(key_at(good, 0.0), KeyFrame::apply_rotation_offset(start, kStep)));
  handlers.remove(watcher);
  EXPECT_TRUE(m.host.services_balanced());
}

// ---- Non-finite neighbours ----------------------------------------------------

class NonFiniteNeighbourTest : public ::testing::TestWithParam<Server>, public HostileScene {};

// The batch commands place a key's turns towards its neighbour's: with a
// damaged neighbour there is nothing to place towards.
TEST_P(NonFiniteNeighbourTest, KeyWhoseReferenceIsDamagedIsLeftExactlyAsItWas) {
  const AngleTriple current{0.5 + 2 * kPi, 0.4, -0.3};
  scene::Item &item = selected_item("A", {{0.0, {0.1, kNaN, 0.2}}, {kFrame, current}});
  scene().set_current_time(kFrame);
  run_and_check(GetParam());
  EXPECT_TRUE(same_bits(key_at(item, kFrame), current)) << text(key_at(item, kFrame));
}

// A key created at the current time takes its neighbour's value per channel,
// except where that value is not finite: then it keeps 0.
TEST_P(NonFiniteNeighbourTest, CreatedKeyNextToADamagedNeighbourKeepsZero) {
  scene::Item &item = selected_item("A", {{0.0, {kNaN, 0.4, -kInf}}});
  scene().set_current_time(kFrame);
  run_and_check(GetParam());
  EXPECT_TRUE(same_bits(key_at(item, kFrame), (AngleTriple{0.0, 0.4, 0.0}))) << text(key_at(item, kFrame));
}

INSTANTIATE_TEST_SUITE_P(BatchCommands, NonFiniteNeighbourTest,
                         ::testing::Values(Server::Inferior, Server::Superior), hostile::server_test_name);

TEST_F(HostileTest, RealTimeKeyCreatedNextToADamagedNeighbourIsFinite) {
  scene::Item &item = selected_item("A", {{0.0, {kNaN, 0.4, -kInf}}});
  scene().set_current_time(kFrame);
  run_and_check(Server::RealTime);
  EXPECT_TRUE(hostile::is_finite(key_at(item, kFrame))) << text(key_at(item, kFrame));
  // Turned from (0, 0.4, 0), the seeded values.
  EXPECT_TRUE(same_bits(key_at(item, kFrame), KeyFrame::apply_rotation_offset({0.0, 0.4, 0.0}, kStep)));
}

TEST_F(HostileTest, ScanRemovesItsTemporaryKeyNextToADamagedNeighbour) {
  scene::Item &item = selected_item("A", {{0.0, {kNaN, 0.4, -kInf}}, {2 * kFrame, {0.1, 0.2, 0.3}}});
  scene().set_current_time(kFrame);
  run_and_check(Server::Scan);
  for (const char *name : hostile::kRotationChannels) {
    EXPECT_EQ(item.envelope(name)->size(), 2u) << name;
    EXPECT_EQ(item.envelope(name)->find(kFrame), nullptr) << name;
  }
}

// ---- The scan's chain ---------------------------------------------------------

// A motion whose keys alternate between the two triples, with damaged keys
// in the chain (the anchor among them): the damaged ones stay as they were,
// every finite one keeps its orientation and the keys between damaged ones
// are aligned.
TEST_F(HostileTest, ScanChainWithDamagedKeys) {
  std::vector<testing_support::TimedRotation> keys;
  std::vector<AngleTriple> smooth;
  for (int k = 0; k < 12; ++k) {
    const AngleTriple a{0.1 * k, 0.3 - 0.05 * k, 0.02 * k};
    smooth.push_back(a);
    keys.push_back({k * kFrame, k % 2 == 0 ? a : flipped(a)});
  }
  keys[0].angles.pitch = kNaN;
  keys[5].angles.bank = kInf;
  keys[6].angles.heading = -kInf;
  scene::Item &item = selected_item("A", keys);

  run_and_check(Server::Scan);

  for (int k = 0; k < 12; ++k) {
    SCOPED_TRACE("key " + std::to_string(k));
    const AngleTriple now = key_at(item, k * kFrame);
    if (k == 0 || k == 5 || k == 6) {
      EXPECT_TRUE(same_bits(now, keys[k].angles)) << text(now);
      continue;
    }
    EXPECT_TRUE(same_orientation(keys[k].angles, now)) << text(now);
  }
  // After the damaged anchor the first finite key carries the chain on.
  for (int k = 2; k <= 4; ++k) {
    const AngleTriple before = key_at(item, (k - 1) * kFrame), now = key_at(item, k * kFrame);
    EXPECT_LT(std::fabs(now.heading - before.heading), 0.5) << k;
    EXPECT_LT(std::fabs(now.bank - before.bank), 0.5) << k;
  }
}

TEST_F(HostileTest, EveryKeyDamagedNothingChanges) {
  selected_item("A", {{0.0, {kNaN, kNaN, kNaN}}, {kFrame, {kInf, -kInf, kNaN}}});
  selected_item("B", {{0.0, {0.1, kInf, 0.2}}, {kFrame, {-kInf, 0.3, 0.4}}});
  const hostile::KeyBits before = hostile::rotation_key_bits(scene());
  for (Server server : hostile::kAllServers) {
    SCOPED_TRACE(hostile::server_name(server));
    run_and_check(server);
    EXPECT_EQ(hostile::rotation_key_bits(scene()), before);
  }
}

}  // namespace
