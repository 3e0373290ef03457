// "Tavorix:Scan" through the built module in the stand-in host: the progress
// monitor and report, the result codes, and what the scan does to the keys
// of chosen scenes.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "host/progress_monitor.h"
#include "support/module_harness.h"
#include "support/rotation_keys.h"
#include "support/scene_builders.h"

namespace {

using KeyFrame::AngleTriple;
using testing_support::keys_of;
using testing_support::ModuleHarness;
using testing_support::rotation_key;
using testing_support::set_rotation_key;
using testing_support::triple_distance;

constexpr double kPi = 3.141592653589793;
constexpr const char *kScan = "Tavorix:Scan";

AngleTriple flipped(const AngleTriple &a) { return {a.heading + kPi, kPi - a.pitch, a.bank + kPi}; }

#define EXPECT_TRIPLE_NEAR(actual, expected)              \
  EXPECT_LT(triple_distance((actual), (expected)), 1e-12) \
      << "got (" << (actual).heading << ", " << (actual).pitch << ", " << (actual).bank << ")"

// Every key of the three rotation channels, (time, value) per channel.
using RotationKeys = std::vector<std::vector<std::pair<double, double>>>;
RotationKeys rotation_keys_of(const scene::Item &item) {
  return {keys_of(*item.envelope("Rotation.H")), keys_of(*item.envelope("Rotation.P")),
          keys_of(*item.envelope("Rotation.B"))};
}

struct ScanCommandTest : testing_support::ModuleTest {
  int key_sets() const {
    int n = 0;
    for (const host::EnvelopeCall &call : m.host.envelope_calls()) n += call.op == "keySet" ? 1 : 0;
    return n;
  }
};

// ---- Monitor, report and result codes --------------------------------------

std::vector<host::MonitorCall> expected_monitor_calls(unsigned int items) {
  std::vector<host::MonitorCall> calls;
  auto add = [&calls](const char *op, const char *text, std::uint64_t number) {
    host::MonitorCall call;
    call.op = op;
    call.text = text != nullptr ? text : "";
    call.text_was_null = text == nullptr;
    call.number = number;
    calls.push_back(call);
  };
  add("create", nullptr, 0);
  add("setup", "Tavorix: Scan", 3);
  add("init", "Scanning...", 2 * items);
  for (unsigned int i = 0; i < items; ++i) add("step", nullptr, 1);
  const std::string report = "Scanned: " + std::to_string(items) + " items";
  add("step", report.c_str(), items);
  add("done", nullptr, 0);
  add("destroy", nullptr, 0);
  return calls;
}

TEST_F(ScanCommandTest, MonitorSeesCountReportAndCloseInOrder) {
  for (const unsigned int items : {0u, 1u, 3u, 4u}) {
    SCOPED_TRACE(std::to_string(items) + " items");
    ModuleHarness h;
    std::vector<scene::Item *> selection;
    for (unsigned int i = 0; i < items; ++i) {
      scene::Item &item = h.host.scene().add_item("Item" + std::to_string(i));
      set_rotation_key(item, 0.0, {0, 0, 0});
      set_rotation_key(item, 1.0, flipped({0.1, 0.2, 0.3}));
      selection.push_back(&item);
    }
    h.host.scene().add_item("Unselected");
    h.host.scene().select(selection);
    ASSERT_EQ(h.run(kScan), AFUNC_OK);

    const std::vector<host::MonitorCall> calls = h.host.monitor_calls();
    const std::vector<host::MonitorCall> expected = expected_monitor_calls(items);
    ASSERT_EQ(calls.size(), expected.size());
    for (std::size_t i = 0; i < calls.size(); ++i) {
      SCOPED_TRACE("call " + std::to_string(i) + " " + expected[i].op);
      EXPECT_EQ(calls[i].op, expected[i].op);
      EXPECT_EQ(calls[i].text, expected[i].text);
      EXPECT_EQ(calls[i].text_was_null, expected[i].text_was_null);
      EXPECT_EQ(calls[i].number, expected[i].number);
    }
    EXPECT_EQ(host::live_monitor_count(), 0u);
    EXPECT_TRUE(h.host.services_balanced());
  }
}

TEST_F(ScanCommandTest, NothingSelectedTouchesNoKey) {
  scene::Item &item = scene().add_item("Unselected");
  set_rotation_key(item, 0.0, {0, 0, 0});
  set_rotation_key(item, 1.0, flipped({0, 0.2, 0}));
  const RotationKeys before = rotation_keys_of(item);
  m.host.record_envelope_calls(true);
  ASSERT_EQ(m.run(kScan), AFUNC_OK);
  EXPECT_TRUE(m.host.envelope_calls().empty());
  EXPECT_EQ(rotation_keys_of(item), before);
}

TEST_F(ScanCommandTest, WithoutMonitorServiceTheScanRunsSilently) {
  scene::Item &item = selected_item("A");
  set_rotation_key(item, 0.0, {0, 0, 0});
  set_rotation_key(item, 1.0, flipped({0, 0.2, 0}));
  m.host.withhold(LWLMONFUNCS_GLOBAL);
  ASSERT_EQ(m.run(kScan), AFUNC_OK);
  EXPECT_TRUE(m.host.monitor_calls().empty());
  EXPECT_TRIPLE_NEAR(*rotation_key(item, 1.0), (AngleTriple{0, 0.2, 0}));
  EXPECT_TRUE(m.host.services_balanced());
}

TEST_F(ScanCommandTest, OtherVersionIsRefusedBeforeAMonitorIsMade) {
  scene::Item &item = selected_item("A");
  set_rotation_key(item, 0.0, {0, 0, 0});
  set_rotation_key(item, 1.0, flipped({0, 0.2, 0}));
  const RotationKeys before = rotation_keys_of(item);
  LWLayoutGeneric local{};
  EXPECT_EQ(m.module->activate(LWLAYOUTGENERIC_CLASS, kScan, 3, m.host.global_function(), &local),
            AFUNC_BADVERSION);
  EXPECT_TRUE(m.host.monitor_calls().empty());
  EXPECT_EQ(m.host.use_of(LWLMONFUNCS_GLOBAL).transient, 0);
  EXPECT_EQ(rotation_keys_of(item), before);
}

// ---- What the scan does to keys ------------------------------------------

TEST_F(ScanCommandTest, ItemWithoutRotationKeysEndsAsItWas) {
  scene::Item &bare = selected_item("Bare");
  bare.envelope("Position.X")->create(1.0, 4.0);
  scene().set_current_time(2.0);  // the collection creates three keys there
  ASSERT_EQ(m.run(kScan), AFUNC_OK);
  for (const char *channel : {"Rotation.H", "Rotation.P", "Rotation.B"}) {
    EXPECT_EQ(bare.envelope(channel)->size(), 0u) << channel;
  }
  EXPECT_EQ(bare.envelope("Position.X")->size(), 1u);
}

TEST_F(ScanCommandTest, SinglePitchKeyIsNeverWritten) {
  for (const double now : {0.0, 3.0}) {
    SCOPED_TRACE(now);
    ModuleHarness h;
    scene::Item &item = h.host.scene().add_item("A");
    h.host.scene().select_only(&item);
    set_rotation_key(item, 0.0, flipped({0.1, 0.2, 0.3}));
    const RotationKeys before = rotation_keys_of(item);
    h.host.scene().set_current_time(now);
    h.host.record_envelope_calls(true);
    ASSERT_EQ(h.run(kScan), AFUNC_OK);
    EXPECT_EQ(rotation_keys_of(item), before);
    for (const host::EnvelopeCall &call : h.host.envelope_calls()) EXPECT_NE(call.op, "keySet");
  }
}

TEST_F(ScanCommandTest, ChainIsCarriedFromTheAnchorThroughEveryKey) {
  scene::Item &item = selected_item("A");
  set_rotation_key(item, 0.0, {0, 0, 0});
  set_rotation_key(item, 10.0, flipped({0, 0.2, 0}));
  set_rotation_key(item, 20.0, flipped({0.1, 0.2, 2 * kPi}));
  m.host.record_envelope_calls(true);
  ASSERT_EQ(m.run(kScan), AFUNC_OK);

  const AngleTriple anchor = *rotation_key(item, 0.0);
  EXPECT_EQ(anchor.heading, 0.0);
  EXPECT_EQ(anchor.pitch, 0.0);
  EXPECT_EQ(anchor.bank, 0.0);
  EXPECT_TRIPLE_NEAR(*rotation_key(item, 10.0), (AngleTriple{0, 0.2, 0}));
  // Against the rewritten key at 10; against the stored one it would stay flipped.
  EXPECT_TRIPLE_NEAR(*rotation_key(item, 20.0), (AngleTriple{0.1, 0.2, 0}));

  // Both rewritten triples are written, heading, pitch, bank, in time order.
  std::vector<std::pair<const scene::Envelope *, double>> writes;
  for (const host::EnvelopeCall &call : m.host.envelope_calls()) {
    if (call.op == "keySet") writes.emplace_back(call.envelope, call.key->time);
  }
  const scene::Envelope *h = item.envelope("Rotation.H"), *p = item.envelope("Rotation.P"),
                        *b = item.envelope("Rotation.B");
  const decltype(writes) expected = {{h, 10.0}, {p, 10.0}, {b, 10.0}, {h, 20.0}, {p, 20.0}, {b, 20.0}};
  EXPECT_EQ(writes, expected);
}

TEST_F(ScanCommandTest, ChainWithAMissingHeadingKeyStartsAfterIt) {
  scene::Item &item = selected_item("A");
  set_rotation_key(item, 0.0, {0, 0, 0});
  set_rotation_key(item, 10.0, flipped({0, 0.2, 0}));
  set_rotation_key(item, 20.0, flipped({0.1, 0.2, 0}));
  item.envelope("Rotation.H")->destroy(item.envelope("Rotation.H")->find(10.0));
  const RotationKeys before = rotation_keys_of(item);
  m.host.record_envelope_calls(true);
  ASSERT_EQ(m.run(kScan), AFUNC_OK);
  // The keys at 10 are unpaired; the anchor is the triple at 20, so nothing
  // of the item is rewritten.
  EXPECT_EQ(rotation_keys_of(item), before);
  EXPECT_EQ(key_sets(), 0);
}

TEST_F(ScanCommandTest, UnpairedPitchKeysAreLeftAndTheChainSkipsThem) {
  scene::Item &item = selected_item("A");
  set_rotation_key(item, 0.0, {0, 0, 0});
  set_rotation_key(item, 1.0, flipped({0.1, 0.2, 0}));
  item.envelope("Rotation.P")->create(2.0, 5.0);  // no heading or bank key at 2
  item.envelope("Rotation.H")->create(2.5, 6.0);  // heading only
  item.envelope("Rotation.B")->create(2.7, 7.0);  // bank only
  set_rotation_key(item, 3.0, flipped({0.2, 0.2, 0}));
  item.envelope("Rotation.P")->create(4.0, 8.0);
  item.envelope("Rotation.B")->create(4.0, 9.0);  // no heading key at 4
  set_rotation_key(item, 5.0, flipped({0.3, 0.2, 0}));

  ASSERT_EQ(m.run(kScan), AFUNC_OK);
  EXPECT_TRIPLE_NEAR(*rotation_key(item, 1.0), (AngleTriple{0.1, 0.2, 0}));
  EXPECT_TRIPLE_NEAR(*rotation_key(item, 3.0), (AngleTriple{0.2, 0.2, 0}));
  EXPECT_TRIPLE_NEAR(*rotation_key(item, 5.0), (AngleTriple{0.3, 0.2, 0}));
  EXPECT_EQ(item.envelope("Rotation.P")->find(2.0)->value, 5.0);
  EXPECT_EQ(item.envelope("Rotation.H")->find(2.5)->value, 6.0);
  EXPECT_EQ(item.envelope("Rotation.B")->find(2.7)->value, 7.0);
  EXPECT_EQ(item.envelope("Rotation.P")->find(4.0)->value, 8.0);
  EXPECT_EQ(item.envelope("Rotation.B")->find(4.0)->value, 9.0);
}

TEST_F(ScanCommandTest, BankKeysMissingAtTheFirstPitchKeysMoveTheAnchor) {
  scene::Item &item = selected_item("A");
  set_rotation_key(item, 0.0, {0, 0, 0});
  item.envelope("Rotation.H")->create(1.0, kPi);
  item.envelope("Rotation.P")->create(1.0, kPi - 0.2);  // no bank key at 1
  set_rotation_key(item, 2.0, flipped({0.1, 0.2, 0}));
  set_rotation_key(item, 3.0, {0.2, 0.2, 0});
  ASSERT_EQ(m.run(kScan), AFUNC_OK);
  // The first pitch key after the start is unpaired: the triple at 2 is the
  // anchor and stays flipped, and the key at 3 follows it.
  EXPECT_TRIPLE_NEAR(*rotation_key(item, 2.0), flipped({0.1, 0.2, 0}));
  EXPECT_TRIPLE_NEAR(*rotation_key(item, 3.0), flipped({0.2, 0.2, 0}));
  EXPECT_EQ(item.envelope("Rotation.H")->find(1.0)->value, kPi);
  EXPECT_EQ(item.envelope("Rotation.P")->find(1.0)->value, kPi - 0.2);
}

TEST_F(ScanCommandTest, TheCurrentTimeDoesNotChangeTheResultOrLeaveKeys) {
  auto build = [](scene::Scene &s) {
    scene::Item &item = s.add_item("A");
    s.select_only(&item);
    set_rotation_key(item, 0.0, {0, 0, 0});
    set_rotation_key(item, 1.0, flipped({0.1, 0.2, 0}));
    set_rotation_key(item, 2.0, {0.2 + 2 * kPi, 0.3, -2 * kPi});
    set_rotation_key(item, 3.0, flipped({0.3, 0.4, 0.1}));
    return &item;
  };
  ModuleHarness reference;
  scene::Item *expected_item = build(reference.host.scene());
  ASSERT_EQ(reference.run(kScan), AFUNC_OK);
  const RotationKeys expected = rotation_keys_of(*expected_item);

  for (const double now : {-1.0, 0.5, 2.0, 3.0, 7.0}) {
    SCOPED_TRACE(now);
    ModuleHarness h;
    scene::Item *item = build(h.host.scene());
    h.host.scene().set_current_time(now);
    ASSERT_EQ(h.run(kScan), AFUNC_OK);
    EXPECT_EQ(rotation_keys_of(*item), expected);
  }
}

TEST_F(ScanCommandTest, NonFiniteKeyAndTheKeyAfterItAreLeftAndTheChainStartsAgain) {
  scene::Item &item = selected_item("A");
  set_rotation_key(item, 0.0, {0, 0, 0});
  set_rotation_key(item, 1.0, flipped({0, 0.2, 0}));
  set_rotation_key(item, 2.0, {std::nan(""), 0.5, 0.5});
  set_rotation_key(item, 3.0, flipped({0.1, 0.2, 0}));
  set_rotation_key(item, 4.0, {0.2, 0.2, 0});
  ASSERT_EQ(m.run(kScan), AFUNC_OK);
  EXPECT_TRIPLE_NEAR(*rotation_key(item, 1.0), (AngleTriple{0, 0.2, 0}));
  const AngleTriple damaged = *rotation_key(item, 2.0);
  EXPECT_TRUE(std::isnan(damaged.heading));
  EXPECT_EQ(damaged.pitch, 0.5);
  EXPECT_EQ(damaged.bank, 0.5);
  // No usable predecessor: kept as it is, and the anchor of what follows.
  EXPECT_TRIPLE_NEAR(*rotation_key(item, 3.0), flipped({0.1, 0.2, 0}));
  EXPECT_TRIPLE_NEAR(*rotation_key(item, 4.0), flipped({0.2, 0.2, 0}));
}

TEST_F(ScanCommandTest, ItemsAreWrittenInRecordOrderWhateverOrderTheyFinishIn) {
  // The first item has by far the most keys, so its transform finishes last.
  const int key_counts[] = {20000, 400, 20, 3};
  std::vector<scene::Item *> items;
  for (int i = 0; i < 4; ++i) {
    scene::Item &item = selected_item("Item" + std::to_string(i));
    for (int k = 0; k < key_counts[i]; ++k) {
      const AngleTriple a{0.001 * k, 0.2, 0.0};
      set_rotation_key(item, k, k % 2 == 1 ? flipped(a) : a);
    }
    items.push_back(&item);
  }
  m.host.record_envelope_calls(true);
  ASSERT_EQ(m.run(kScan), AFUNC_OK);

  std::map<const scene::Envelope *, int> owner;
  for (int i = 0; i < 4; ++i) {
    for (const char *channel : {"Rotation.H", "Rotation.P", "Rotation.B"}) {
      owner[items[i]->envelope(channel)] = i;
    }
  }
  std::vector<int> written_items;  // item index per run of writes
  std::size_t writes = 0;
  for (const host::EnvelopeCall &call : m.host.envelope_calls()) {
    if (call.op != "keySet") continue;
    ++writes;
    const int item = owner.at(call.envelope);
    if (written_items.empty() || written_items.back() != item) written_items.push_back(item);
  }
  EXPECT_EQ(written_items, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(writes, 3u * (20000 - 1 + 400 - 1 + 20 - 1 + 3 - 1));
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRIPLE_NEAR(*rotation_key(*items[i], key_counts[i] - 1),
                       (AngleTriple{0.001 * (key_counts[i] - 1), 0.2, 0.0}));
  }
}

}  // namespace
