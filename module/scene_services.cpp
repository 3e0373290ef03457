#include "module/scene_services.h"

#include "module/host_services.h"
#include "module/service_names.h"

namespace KeyFrame {
namespace {

constexpr const char *kSceneServiceNames[] = {kInterfaceInfoService, kItemInfoService, kChannelInfoService,
                                              kEnvelopeService};

void release_first(int count) {
  for (int i = 0; i < count; ++i) host_services.global(kSceneServiceNames[i], GFUSE_RELEASE);
}

}  // namespace

bool acquire_scene_services() {
  HostServices &s = host_services;
  s.interface_info = static_cast<LWInterfaceInfo *>(s.global(kSceneServiceNames[0], GFUSE_ACQUIRE));
  if (s.interface_info == nullptr) return false;
  s.item_info = static_cast<LWItemInfo *>(s.global(kSceneServiceNames[1], GFUSE_ACQUIRE));
  if (s.item_info == nullptr) {
    release_first(1);
    return false;
  }
  s.channel_info = static_cast<LWChannelInfo *>(s.global(kSceneServiceNames[2], GFUSE_ACQUIRE));
  if (s.channel_info == nullptr) {
    release_first(2);
    return false;
  }
  s.envelope_funcs = static_cast<LWEnvelopeFuncs *>(s.global(kSceneServiceNames[3], GFUSE_ACQUIRE));
  if (s.envelope_funcs == nullptr) {
    release_first(3);
    return false;
  }
  s.item_info_since_2020 = s.global(kItemInfoSince2020Service, GFUSE_ACQUIRE);
  return true;
}

void release_scene_services() {
  release_first(4);
  if (host_services.item_info_since_2020 != nullptr) {
    host_services.global(kItemInfoSince2020Service, GFUSE_RELEASE);
  }
}

}  // namespace KeyFrame
