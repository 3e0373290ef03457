// The collection, replaced in this test program: the program's own objects
// come ahead of the module's library on the link line, so the library's
// keys/collect_rotation_keys.cpp is not taken. Nothing in the program may
// need another symbol of that file, or the linker would take it as well and
// find collect_rotation_keys twice.
//
// It plants keys as the module's collection does, one at the current time in
// each rotation channel without one, and keeps the same bookkeeping:
// item_count counts the records appended whole, and an append that throws
// takes back its own record's keys before the exception leaves. Unlike the
// module's it reserves no room before the first append, so an append can
// need a new block of the records vector, and the fault sweeps' allocation
// failure can make that block's allocation fail. The module's collection
// reserves a slot for every selected item first, so its appends find room
// today; the runs must stay safe should one fail all the same, which this
// collection makes happen.
#include "append_faults/failing_collection.h"

#include <cstring>
#include <optional>

#include "faults/allocation_failure.h"
#include "keys/collect_rotation_keys.h"
#include "keys/created_keys.h"
#include "module/host_services.h"

namespace append_faults {
namespace {

std::optional<std::uint64_t> armed_index;
FailedAppend outcome;

}  // namespace

void fail_append(std::uint64_t index) {
  armed_index = index;
  outcome = {};
}

FailedAppend last_failed_append() { return outcome; }

}  // namespace append_faults

namespace KeyFrame {
namespace {

using testing_support::AllocationFailure;

LWEnvelopeID rotation_envelope(LWChanGroupID group, const char *name) {
  const LWChannelInfo *channels = host_services.channel_info;
  for (LWChannelID chan = channels->nextChannel(group, nullptr); chan != nullptr;
       chan = channels->nextChannel(group, chan)) {
    if (std::strcmp(channels->channelName(chan), name) == 0) return channels->channelEnvelope(chan);
  }
  return nullptr;
}

// The key of `envelope` at `time`, created (and flagged) where there is none.
LWEnvKeyframeID key_at(LWEnvelopeID envelope, LWTime time, std::uint8_t &created) {
  const LWEnvelopeFuncs *env = host_services.envelope_funcs;
  LWEnvKeyframeID key = env->findKey(envelope, time);
  created = key == nullptr ? 1 : 0;
  return created ? env->createKey(envelope, time, 0.0) : key;
}

void append(KeyInfo *info, const KeyRecord &record) {
  const bool armed = append_faults::armed_index == info->records.size();
  if (armed) {
    append_faults::armed_index.reset();
    AllocationFailure::fail_at(1, AllocationFailure::Counted::AlignedOnly);
  }
  try {
    info->records.push_back(record);
  } catch (...) {
    if (armed) {
      AllocationFailure::disarm();
      append_faults::outcome = {true, info->item_count};
    }
    remove_created_keys(record);
    throw;
  }
  if (armed) AllocationFailure::disarm();  // the append found room: nothing failed
  info->item_count = info->records.size();
}

}  // namespace

void collect_rotation_keys(KeyInfo *info) {
  const LWInterfaceInfo *ui = host_services.interface_info;
  info->command_counter = 0;
  info->item_count = 0;
  info->current_time = ui->curTime;
  for (const LWItemID *item = ui->selItems; item != nullptr && *item != nullptr; ++item) {
    const LWChanGroupID group = host_services.item_info->chanGroup(*item);
    KeyRecord record;
    record.item = *item;
    record.heading_envelope = rotation_envelope(group, "Rotation.H");
    record.pitch_envelope = rotation_envelope(group, "Rotation.P");
    record.bank_envelope = rotation_envelope(group, "Rotation.B");
    if (!record.heading_envelope || !record.pitch_envelope || !record.bank_envelope) continue;
    record.heading_key = key_at(record.heading_envelope, info->current_time, record.heading_created);
    record.pitch_key = key_at(record.pitch_envelope, info->current_time, record.pitch_created);
    record.bank_key = key_at(record.bank_envelope, info->current_time, record.bank_created);
    append(info, record);
  }
}

}  // namespace KeyFrame
