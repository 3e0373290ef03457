#include "keys/collect_rotation_keys.h"

#include <cmath>
#include <cstring>
#include <optional>

#include "keys/created_keys.h"
#include "module/host_services.h"
#include "module/item_rotation_order.h"

namespace KeyFrame {
namespace {

constexpr std::size_t kRotationNameLength = 10;
constexpr const char *kHeadingChannel = "Rotation.H";
constexpr const char *kPitchChannel = "Rotation.P";
constexpr const char *kBankChannel = "Rotation.B";

// The envelope of the group's first angle channel whose name passes the
// name test for `pattern`, or null when there is none.
LWEnvelopeID find_rotation_envelope(LWChanGroupID group, const char *pattern) {
  const LWChannelInfo *channels = host_services.channel_info;
  for (LWChannelID chan = channels->nextChannel(group, nullptr); chan != nullptr;
       chan = channels->nextChannel(group, chan)) {
    if (channels->channelType(chan) != LWET_ANGLE) continue;
    if (rotation_channel_name_matches(channels->channelName(chan), pattern)) {
      return channels->channelEnvelope(chan);
    }
  }
  return nullptr;
}

double key_value(LWEnvelopeID envelope, LWEnvKeyframeID key) {
  double value = 0.0;
  host_services.envelope_funcs->keyGet(envelope, key, LWKEY_VALUE, &value);
  return value;
}

// Finds or creates the key of one channel at `time`. `reference` receives the
// neighbour's value (modes other than scan).
void key_step(LWEnvelopeID envelope, LWTime time, bool scan_mode, LWEnvKeyframeID &key, std::uint8_t &created,
              double &reference) {
  const LWEnvelopeFuncs *env = host_services.envelope_funcs;
  key = env->findKey(envelope, time);
  created = key == nullptr ? 1 : 0;
  if (created) key = env->createKey(envelope, time, 0.0);
  if (scan_mode || key == nullptr) return;

  // The earlier key when there is one, whether or not a later one is closer.
  LWEnvKeyframeID neighbour = env->prevKey(envelope, key);
  if (neighbour == nullptr) neighbour = env->nextKey(envelope, key);
  if (neighbour == nullptr) return;
  reference = key_value(envelope, neighbour);
  // A created key takes its neighbour's value, unless that value is not a
  // number: then it keeps 0 rather than spread it.
  if (created && std::isfinite(reference)) env->keySet(envelope, key, LWKEY_VALUE, &reference);
}

}  // namespace

bool rotation_channel_name_matches(const char *name, const char *pattern) {
  if (name == nullptr) return false;
  if (std::strlen(name) < kRotationNameLength) return false;
  return std::memcmp(name, pattern, kRotationNameLength) == 0;
}

void collect_rotation_keys(KeyInfo *info) {
  const LWInterfaceInfo *ui = host_services.interface_info;
  const bool scan_mode = info->mode == kModeScan;
  const LWLMonFuncs *monitor_funcs = host_services.monitor_funcs;
  const LWLMonID monitor = host_services.monitor;
  const bool drive_monitor = scan_mode && monitor_funcs != nullptr && monitor != nullptr;

  const LWItemID *selected = ui->selItems;
  std::uint64_t selected_count = 0;
  if (selected != nullptr) {
    while (selected[selected_count] != nullptr) ++selected_count;
  }
  if (drive_monitor)
    monitor_funcs->init(monitor, static_cast<unsigned int>(2 * selected_count), "Scanning...");

  info->command_counter = 0;
  info->item_count = 0;
  if (selected_count != 0) info->records.reserve(selected_count);

  for (std::uint64_t j = 0; j < selected_count; ++j) {
    if (drive_monitor) monitor_funcs->step(monitor, 1, nullptr);
    const LWItemID item = selected[j];
    const LWChanGroupID group = host_services.item_info->chanGroup(item);

    KeyRecord record;
    record.heading_envelope = find_rotation_envelope(group, kHeadingChannel);
    record.pitch_envelope = find_rotation_envelope(group, kPitchChannel);
    record.bank_envelope = find_rotation_envelope(group, kBankChannel);
    if (record.heading_envelope == nullptr || record.pitch_envelope == nullptr ||
        record.bank_envelope == nullptr) {
      continue;  // not a rotating item: no record, no key created
    }
    const std::optional<RotationOrder> order = item_rotation_order(host_services.item_info_since_2020, item);
    // An order the module does not know: which triple is the same
    // orientation is unknown, so the item is left exactly as it is.
    if (!order) continue;
    record.order = *order;
    info->current_time = ui->curTime;
    record.item = item;

    const LWTime time = info->current_time;
    key_step(record.heading_envelope, time, scan_mode, record.heading_key, record.heading_created,
             record.reference.heading);
    key_step(record.pitch_envelope, time, scan_mode, record.pitch_key, record.pitch_created,
             record.reference.pitch);
    key_step(record.bank_envelope, time, scan_mode, record.bank_key, record.bank_created,
             record.reference.bank);
    if (record.heading_key == nullptr || record.pitch_key == nullptr || record.bank_key == nullptr) {
      // The host refused a key (a time it cannot store): leave the item as it was.
      remove_created_keys(record);
      continue;
    }
    if (!scan_mode) {
      record.angles.heading = key_value(record.heading_envelope, record.heading_key);
      record.angles.pitch = key_value(record.pitch_envelope, record.pitch_key);
      record.angles.bank = key_value(record.bank_envelope, record.bank_key);
    }
    // Appended only once complete, so every record a pass sees names three
    // keys. If the append fails the item's created keys go again.
    try {
      info->records.push_back(record);
    } catch (...) {
      remove_created_keys(record);
      throw;
    }
    info->item_count = info->records.size();
  }
}

}  // namespace KeyFrame
