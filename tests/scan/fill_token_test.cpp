// The scan's input side through the stand-in host's C envelope table: the
// token fill (starting key, created keys, pairing, anchor) and the input
// stage's token ring. Skipped keys and the anchor rule are covered end to end
// in scan_command_test.cpp.
#include "scan/fill_token.h"

#include <gtest/gtest.h>
#include <tbb/parallel_pipeline.h>

#include <memory>
#include <string>
#include <vector>

#include "host/envelope_service.h"
#include "host/handles.h"
#include "host/host.h"
#include "keys/created_keys.h"
#include "module/host_services.h"
#include "scan/input_filter.h"

namespace {

using KeyFrame::AngleTriple;
using KeyFrame::KeyRecord;
using KeyFrame::KeyTriple;
using KeyFrame::ScanToken;

// One item's three rotation envelopes, keyed per channel.
struct RotationEnvelopes {
  scene::Envelope *heading;
  scene::Envelope *pitch;
  scene::Envelope *bank;
};

struct FillTokenTest : ::testing::Test {
  host::Host host;  // current while the test runs: it records the calls

  void SetUp() override {
    KeyFrame::host_services.envelope_funcs = const_cast<LWEnvelopeFuncs *>(&host::envelope_funcs_table());
  }

  RotationEnvelopes add_item(const std::string &name) {
    scene::Item &item = host.scene().add_item(name);
    return {item.envelope("Rotation.H"), item.envelope("Rotation.P"), item.envelope("Rotation.B")};
  }

  // Keys every channel at each time, with values distinct per channel and time.
  static void key_all(const RotationEnvelopes &e, const std::vector<double> &times) {
    for (double t : times) {
      e.heading->create(t, 100 + t);
      e.pitch->create(t, 200 + t);
      e.bank->create(t, 300 + t);
    }
  }

  // The record the collection leaves in scan mode at `time`: the key of each
  // channel there, created with value 0 where there is none.
  static KeyRecord record_at(const RotationEnvelopes &e, double time) {
    KeyRecord record;
    record.heading_envelope = host::to_handle(e.heading);
    record.pitch_envelope = host::to_handle(e.pitch);
    record.bank_envelope = host::to_handle(e.bank);
    auto key_step = [time](scene::Envelope *env, LWEnvKeyframeID &key, std::uint8_t &created) {
      scene::Key *found = env->find(time);
      created = found == nullptr ? 1 : 0;
      key = host::to_handle(found != nullptr ? found : env->create(time, 0.0));
    };
    key_step(e.heading, record.heading_key, record.heading_created);
    key_step(e.pitch, record.pitch_key, record.pitch_created);
    key_step(e.bank, record.bank_key, record.bank_created);
    return record;
  }

  // The key triple at `times` (heading, pitch, bank), as handles.
  static KeyTriple keys_at(const RotationEnvelopes &e, double heading_time, double pitch_time,
                           double bank_time) {
    return {host::to_handle(e.heading->find(heading_time)), host::to_handle(e.pitch->find(pitch_time)),
            host::to_handle(e.bank->find(bank_time))};
  }
  static KeyTriple keys_at(const RotationEnvelopes &e, double time) { return keys_at(e, time, time, time); }

  // Expects the token to hold exactly these triples, values read from the keys.
  static void expect_token(const ScanToken &token, const std::vector<KeyTriple> &expected) {
    ASSERT_EQ(token.keys.size(), expected.size());
    ASSERT_EQ(token.values.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      SCOPED_TRACE("element " + std::to_string(i));
      ASSERT_NE(expected[i].heading, nullptr);
      ASSERT_NE(expected[i].pitch, nullptr);
      ASSERT_NE(expected[i].bank, nullptr);
      EXPECT_EQ(token.keys[i].heading, expected[i].heading);
      EXPECT_EQ(token.keys[i].pitch, expected[i].pitch);
      EXPECT_EQ(token.keys[i].bank, expected[i].bank);
      EXPECT_EQ(token.values[i].heading, host::key_of(expected[i].heading)->value);
      EXPECT_EQ(token.values[i].pitch, host::key_of(expected[i].pitch)->value);
      EXPECT_EQ(token.values[i].bank, host::key_of(expected[i].bank)->value);
    }
  }

  int destroy_calls() const {
    int n = 0;
    for (const host::EnvelopeCall &call : host.envelope_calls()) n += call.op == "destroyKey" ? 1 : 0;
    return n;
  }
};

TEST_F(FillTokenTest, WalksTheWholePitchEnvelopeFromItsFirstKey) {
  const RotationEnvelopes e = add_item("A");
  key_all(e, {0, 1, 2, 3});
  KeyRecord record = record_at(e, 2);  // the current key lies mid-envelope
  ScanToken token;
  KeyFrame::fill_token(record, token);
  expect_token(token, {keys_at(e, 0), keys_at(e, 1), keys_at(e, 2), keys_at(e, 3)});
  EXPECT_GE(token.keys.capacity(), 4u);
  EXPECT_GE(token.values.capacity(), 4u);
}

TEST_F(FillTokenTest, CreatedKeysGoBeforeTheWalkAndTheRecordForgetsThem) {
  const RotationEnvelopes e = add_item("A");
  key_all(e, {0, 1, 3});
  KeyRecord record = record_at(e, 2);
  ASSERT_TRUE(record.heading_created && record.pitch_created && record.bank_created);
  ScanToken token;
  host.record_envelope_calls(true);
  KeyFrame::fill_token(record, token);

  expect_token(token, {keys_at(e, 0), keys_at(e, 1), keys_at(e, 3)});
  for (scene::Envelope *env : {e.heading, e.pitch, e.bank}) EXPECT_EQ(env->size(), 3u);
  EXPECT_EQ(destroy_calls(), 3);
  EXPECT_FALSE(record.heading_created || record.pitch_created || record.bank_created);
  EXPECT_EQ(record.pitch_key, nullptr);
  // Cleaning the record up again destroys nothing a second time.
  KeyFrame::remove_created_keys(record);
  EXPECT_EQ(destroy_calls(), 3);
}

TEST_F(FillTokenTest, CreatedKeysAreDestroyedInChannelOrder) {
  const RotationEnvelopes e = add_item("A");
  key_all(e, {0, 2});
  KeyRecord record = record_at(e, 1);  // the created pitch key is the one after F
  const KeyRecord created = record;
  ScanToken token;
  host.record_envelope_calls(true);
  KeyFrame::fill_token(record, token);

  std::vector<std::pair<const scene::Envelope *, const scene::Key *>> destroyed;
  for (const host::EnvelopeCall &call : host.envelope_calls()) {
    if (call.op == "destroyKey") destroyed.emplace_back(call.envelope, call.key);
  }
  const decltype(destroyed) expected = {{e.heading, host::key_of(created.heading_key)},
                                        {e.pitch, host::key_of(created.pitch_key)},
                                        {e.bank, host::key_of(created.bank_key)}};
  EXPECT_EQ(destroyed, expected);
  // The walk stepped over the created pitch key to the real one after it.
  expect_token(token, {keys_at(e, 0), keys_at(e, 2)});
}

TEST_F(FillTokenTest, CreatedFirstPitchKeyStartsTheWalkAtTheKeyAfterIt) {
  const RotationEnvelopes e = add_item("A");
  key_all(e, {1, 2, 3});
  KeyRecord record = record_at(e, 0);
  ScanToken token;
  KeyFrame::fill_token(record, token);
  expect_token(token, {keys_at(e, 1), keys_at(e, 2), keys_at(e, 3)});
  for (scene::Envelope *env : {e.heading, e.pitch, e.bank}) EXPECT_EQ(env->find(0.0), nullptr);
}

TEST_F(FillTokenTest, CreatedHeadingAndBankKeysLeaveTheCurrentPitchKeyUnpaired) {
  const RotationEnvelopes e = add_item("A");
  key_all(e, {0, 2, 3});
  e.pitch->create(1, 201);
  KeyRecord record = record_at(e, 1);  // heading and bank created, pitch found
  ASSERT_TRUE(record.heading_created && !record.pitch_created && record.bank_created);
  ScanToken token;
  KeyFrame::fill_token(record, token);
  // The pitch key at 1 was the first after F: skipped, so the anchor is at 2.
  expect_token(token, {keys_at(e, 2), keys_at(e, 3)});
  EXPECT_EQ(e.heading->size(), 3u);
  EXPECT_EQ(e.pitch->size(), 4u);
}

TEST_F(FillTokenTest, AnchorTakesTheHeadingAndBankKeysBeforeTheFirstMatch) {
  const RotationEnvelopes e = add_item("A");
  key_all(e, {0, 10});
  e.heading->create(5, 105);  // between the pitch keys
  ScanToken token;
  KeyRecord record = record_at(e, 0);
  KeyFrame::fill_token(record, token);
  expect_token(token, {keys_at(e, 5, 0, 0), keys_at(e, 10)});
}

// The input stage hands out every token of the ring exactly once, in the
// order 1, 2, ..., N-1, 0, each filled from the next record.
TEST_F(FillTokenTest, InputStageHandsOutEachTokenOnceInRingOrder) {
  for (const std::int32_t count : {1, 2, 5}) {
    SCOPED_TRACE(count);
    KeyFrame::KeyInfo info(KeyFrame::kModeScan);
    std::vector<RotationEnvelopes> items;
    for (std::int32_t i = 0; i < count; ++i) {
      items.push_back(add_item("R" + std::to_string(count) + "_" + std::to_string(i)));
      key_all(items.back(), {0, 1});
      info.records.push_back(record_at(items.back(), 0));
    }
    info.item_count = info.records.size();

    KeyFrame::InputFilter input(std::make_unique<ScanToken[]>(count), count, &info);
    std::vector<ScanToken *> handed_out;
    tbb::parallel_pipeline(
        static_cast<std::size_t>(count),
        tbb::make_filter<void, ScanToken *>(tbb::filter_mode::serial_in_order,
                                            [&input](tbb::flow_control &fc) { return input(fc); }) &
            tbb::make_filter<ScanToken *, void>(tbb::filter_mode::serial_in_order,
                                                [&handed_out](ScanToken *t) { handed_out.push_back(t); }));

    ASSERT_EQ(handed_out.size(), static_cast<std::size_t>(count));
    for (std::int32_t k = 0; k < count; ++k) {
      ScanToken *expected = &input.tokens[(k + 1) % count];
      EXPECT_EQ(handed_out[k], expected) << "token " << k;
      ASSERT_EQ(expected->keys.size(), 2u);
      EXPECT_EQ(expected->keys[1].pitch, host::to_handle(items[k].pitch->find(1.0)));
    }
    EXPECT_EQ(input.next_record, static_cast<std::uint64_t>(count));
  }
}

}  // namespace
