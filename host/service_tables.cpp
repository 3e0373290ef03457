#include "host/service_tables.h"

#include <cstdio>
#include <cstring>

#include "host/envelope_service.h"
#include "host/handles.h"
#include "host/host.h"
#include "host/host_call_scope.h"
#include "host/placeholder_members.h"
#include "host/progress_monitor.h"
#include "scene/envelope_evaluation.h"

namespace host {

const std::array<const char *, kServiceCount> kServiceNames = {
    LWMESSAGEFUNCS_GLOBAL, LWLMONFUNCS_GLOBAL,     LWINTERFACEINFO_GLOBAL, LWITEMINFO_GLOBAL,
    LWCHANNELINFO_GLOBAL,  LWENVELOPEFUNCS_GLOBAL, kItemInfoSince2020};

namespace {

// The tables are read-only for the module; the SDK hands them out as void*.
template <typename Table>
void *as_service(const Table &table) {
  return const_cast<Table *>(&table);
}

// ---- "LW Item Info 5" ----------------------------------------------------

LWChanGroupID item_channel_group(LWItemID item) { return to_group_handle(item_of(item)); }

// ---- "LW Item Info 9" ----------------------------------------------------

LWRotationOrder item_rotation_order(LWItemID item) {
  const scene::Item *found = item_of(item);
  if (found == nullptr) return ROTATIONORDER_HPB;
  return static_cast<LWRotationOrder>(found->rotation_order);
}

// ---- "Channel Info 2" ----------------------------------------------------

LWChannelID next_channel(LWChanGroupID group, LWChannelID after) {
  const scene::Item *item = group_item_of(group);
  if (item == nullptr) return nullptr;
  const auto &channels = item->channels;
  if (after == nullptr) return channels.empty() ? nullptr : to_handle(channels.front().get());
  for (std::size_t i = 0; i < channels.size(); ++i) {
    if (to_handle(channels[i].get()) == after) {
      return i + 1 < channels.size() ? to_handle(channels[i + 1].get()) : nullptr;
    }
  }
  return nullptr;  // `after` is not a channel of this group
}

int channel_type(LWChannelID channel) {
  const scene::Channel *found = channel_of(channel);
  return found == nullptr ? 0 : found->type;
}

const char *channel_name(LWChannelID channel) {
  const scene::Channel *found = channel_of(channel);
  return found == nullptr ? nullptr : found->name.c_str();
}

double channel_evaluate(LWChannelID channel, LWTime time) {
  const scene::Channel *found = channel_of(channel);
  if (found == nullptr) return 0.0;
  const Host *host = Host::current();
  return evaluate_envelope(
      found->envelope, time,
      host != nullptr ? host->hermite_tangents() : scene::HermiteTangents::scaled_by_spacing);
}

LWEnvelopeID channel_envelope(LWChannelID channel) {
  scene::Channel *found = channel_of(channel);
  return found == nullptr ? nullptr : to_handle(&found->envelope);
}

// ---- "Info Messages 2" ---------------------------------------------------

void show_message(const char *kind, const char *line1, const char *line2) {
  HostMessage message;
  try {
    message.kind = kind;
    message.line1 = line1 != nullptr ? line1 : "";
    message.line2 = line2 != nullptr ? line2 : "";
  } catch (...) {
    return;  // out of memory: nothing may reach the module
  }
  Host *host = Host::current();
  const bool is_error = std::strcmp(kind, "error") == 0;
  if (host == nullptr || (host->print_messages() && (!is_error || host->print_errors()))) {
    std::fprintf(stderr, "%s: %s\n", kind, message.line1.c_str());
    if (!message.line2.empty()) std::fprintf(stderr, "  %s\n", message.line2.c_str());
  }
  if (host != nullptr) host->note_message(std::move(message));
}

void message_info(const char *line1, const char *line2) {
  HostCallScope host_code;
  show_message("info", line1, line2);
}
void message_error(const char *line1, const char *line2) {
  HostCallScope host_code;
  show_message("error", line1, line2);
}
void message_warning(const char *line1, const char *line2) {
  HostCallScope host_code;
  show_message("warning", line1, line2);
}

// Each table is filled member by member, by name; every member the module
// must never call is a placeholder that reports the call.

LWItemInfo make_item_info() {
  LWItemInfo table{};
  HOST_PLACEHOLDER(LWItemInfo, table, first);
  HOST_PLACEHOLDER(LWItemInfo, table, next);
  HOST_PLACEHOLDER(LWItemInfo, table, firstChild);
  HOST_PLACEHOLDER(LWItemInfo, table, nextChild);
  HOST_PLACEHOLDER(LWItemInfo, table, parent);
  HOST_PLACEHOLDER(LWItemInfo, table, target);
  HOST_PLACEHOLDER(LWItemInfo, table, goal);
  HOST_PLACEHOLDER(LWItemInfo, table, type);
  HOST_PLACEHOLDER(LWItemInfo, table, name);
  HOST_PLACEHOLDER(LWItemInfo, table, param);
  HOST_PLACEHOLDER(LWItemInfo, table, limits);
  HOST_PLACEHOLDER(LWItemInfo, table, getTag);
  HOST_PLACEHOLDER(LWItemInfo, table, setTag);
  table.chanGroup = item_channel_group;
  HOST_PLACEHOLDER(LWItemInfo, table, server);
  HOST_PLACEHOLDER(LWItemInfo, table, serverFlags);
  HOST_PLACEHOLDER(LWItemInfo, table, controller);
  HOST_PLACEHOLDER(LWItemInfo, table, flags);
  HOST_PLACEHOLDER(LWItemInfo, table, lookAhead);
  HOST_PLACEHOLDER(LWItemInfo, table, goalStrength);
  HOST_PLACEHOLDER(LWItemInfo, table, stiffness);
  HOST_PLACEHOLDER(LWItemInfo, table, axisLocks);
  HOST_PLACEHOLDER(LWItemInfo, table, maxLookSteps);
  HOST_PLACEHOLDER(LWItemInfo, table, reliableDistance);
  HOST_PLACEHOLDER(LWItemInfo, table, goalObjective);
  HOST_PLACEHOLDER(LWItemInfo, table, ikfkBlending);
  HOST_PLACEHOLDER(LWItemInfo, table, ikInitialState);
  HOST_PLACEHOLDER(LWItemInfo, table, ikInitialStateFrame);
  HOST_PLACEHOLDER(LWItemInfo, table, ikSoft);
  HOST_PLACEHOLDER(LWItemInfo, table, pole);
  HOST_PLACEHOLDER(LWItemInfo, table, sameItem);
  HOST_PLACEHOLDER(LWItemInfo, table, sameItemBlend);
  HOST_PLACEHOLDER(LWItemInfo, table, sameItemBlendMethod);
  HOST_PLACEHOLDER(LWItemInfo, table, sameItemFlags);
  HOST_PLACEHOLDER(LWItemInfo, table, selected);
  HOST_PLACEHOLDER(LWItemInfo, table, follow);
  HOST_PLACEHOLDER(LWItemInfo, table, controllerTrans);
  HOST_PLACEHOLDER(LWItemInfo, table, splineItem);
  HOST_PLACEHOLDER(LWItemInfo, table, splineFit);
  HOST_PLACEHOLDER(LWItemInfo, table, splineT);
  // Not in a table of hosts before 2020: reaching it there is a wrong layout.
  HOST_PLACEHOLDER(LWItemInfo, table, rotationOrder);
  HOST_PLACEHOLDER(LWItemInfo, table, relparam);
  return table;
}

LWItemInfo make_item_info_since_2020() {
  LWItemInfo table = make_item_info();
  table.rotationOrder = item_rotation_order;
  return table;
}

LWChannelInfo make_channel_info() {
  LWChannelInfo table{};
  HOST_PLACEHOLDER(LWChannelInfo, table, nextGroup);
  table.nextChannel = next_channel;
  HOST_PLACEHOLDER(LWChannelInfo, table, groupName);
  table.channelName = channel_name;
  HOST_PLACEHOLDER(LWChannelInfo, table, groupParent);
  HOST_PLACEHOLDER(LWChannelInfo, table, channelParent);
  table.channelType = channel_type;
  table.channelEvaluate = channel_evaluate;
  table.channelEnvelope = channel_envelope;
  HOST_PLACEHOLDER(LWChannelInfo, table, setChannelEvent);
  HOST_PLACEHOLDER(LWChannelInfo, table, server);
  return table;
}

LWMessageFuncs make_message_funcs() {
  LWMessageFuncs table{};
  table.info = message_info;
  table.error = message_error;
  table.warning = message_warning;
  // The questions wait for an answer: no command of the module asks one.
  HOST_PLACEHOLDER(LWMessageFuncs, table, okCancel);
  HOST_PLACEHOLDER(LWMessageFuncs, table, yesNo);
  HOST_PLACEHOLDER(LWMessageFuncs, table, yesNoCan);
  HOST_PLACEHOLDER(LWMessageFuncs, table, yesNoAll);
  return table;
}

}  // namespace

const LWItemInfo &item_info_table() {
  static const LWItemInfo table = make_item_info();
  return table;
}
const LWItemInfo &item_info_since_2020_table() {
  static const LWItemInfo table = make_item_info_since_2020();
  return table;
}
const LWChannelInfo &channel_info_table() {
  static const LWChannelInfo table = make_channel_info();
  return table;
}
const LWMessageFuncs &message_funcs_table() {
  static const LWMessageFuncs table = make_message_funcs();
  return table;
}

void *global_function(const char *service_name, int use_mode) {
  HostCallScope host_code;
  Host *host = Host::current();
  if (host == nullptr || service_name == nullptr) return nullptr;
  try {
    return host->answer_global(service_name, use_mode);
  } catch (...) {
    return nullptr;  // out of memory while counting: no exception may reach the module
  }
}

void *service_table(Host &host, const std::string &service_name) {
  if (service_name == LWMESSAGEFUNCS_GLOBAL) return as_service(message_funcs_table());
  if (service_name == LWLMONFUNCS_GLOBAL) return as_service(monitor_funcs_table());
  if (service_name == LWINTERFACEINFO_GLOBAL) return host.interface_info();
  if (service_name == LWITEMINFO_GLOBAL) return as_service(item_info_table());
  if (service_name == kItemInfoSince2020) return as_service(item_info_since_2020_table());
  if (service_name == LWCHANNELINFO_GLOBAL) return as_service(channel_info_table());
  if (service_name == LWENVELOPEFUNCS_GLOBAL) return as_service(envelope_funcs_table());
  return nullptr;
}

}  // namespace host
