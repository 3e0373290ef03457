#pragma once

// The global services and server interfaces the module speaks, by the exact
// names and versions whose table layouts it was built for. Spelled here
// rather than taken from the host's headers: a newer SDK may define its
// macros with later version names or numbers, while the module must keep
// asking for these (later versions only append members, so a host that
// offers a newer one still answers these names).
namespace KeyFrame {

constexpr const char *kMessageService = "Info Messages 2";
constexpr const char *kMonitorService = "LWLMonFuncs";
constexpr const char *kInterfaceInfoService = "LW Interface Info 7";
constexpr const char *kItemInfoService = "LW Item Info 5";
constexpr const char *kChannelInfoService = "Channel Info 2";
constexpr const char *kEnvelopeService = "Animation Envelopes";
// The item information of hosts since 2020, asked for besides the others for
// the items' rotation orders alone; older hosts answer null.
constexpr const char *kItemInfoSince2020Service = "LW Item Info 9";

constexpr const char *kGenericClass = "LayoutGeneric";
constexpr const char *kMasterClass = "MasterHandler";
// The interface versions the module's servers speak; any other offered
// version is refused.
constexpr int kGenericVersion = 2;
constexpr int kMasterVersion = 4;

}  // namespace KeyFrame
