#pragma once

#include <lwenvel.h>
#include <lwhost.h>
#include <lwrender.h>

#include <array>
#include <string>

namespace host {

class Host;

// The global names of the seven services the stand-in host offers: the six
// of every host since 9.6 and the item information of hosts since 2020,
// which adds the items' rotation orders (withhold it to play an older host).
constexpr const char *kItemInfoSince2020 = "LW Item Info 9";
constexpr int kServiceCount = 7;
extern const std::array<const char *, kServiceCount> kServiceNames;

// The C function handed to activations as their GlobalFunc. It has no
// context argument, so it answers for Host::current() (null when there is
// none or the service name is null).
void *global_function(const char *service_name, int use_mode);

// The table of the service called `service_name` for `host`, or null for a
// name the host does not know. Only the interface information belongs to a
// Host (it is refreshed from its scene here); the other tables are shared and
// work on handles alone.
void *service_table(Host &host, const std::string &service_name);

// The handle-only tables. Their callbacks accept null handles and then do
// nothing and answer null or 0.
// "LW Item Info 5" answers a table whose members from 2020 on are
// placeholders (a host before 2020 has none); "LW Item Info 9" answers one
// that also reads the items' rotation orders.
const LWItemInfo &item_info_table();
const LWItemInfo &item_info_since_2020_table();
const LWChannelInfo &channel_info_table();
// Messages go to Host::current() (recorded, and printed to stderr unless the
// host turned that off); with no current host they are printed.
const LWMessageFuncs &message_funcs_table();

}  // namespace host
