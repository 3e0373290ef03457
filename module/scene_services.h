#pragma once

namespace KeyFrame {

// The four scene services a run holds while it reads and writes keys:
// "LW Interface Info 7", "LW Item Info 5", "Channel Info 2" and
// "Animation Envelopes", acquired (use mode 1) through the global function
// stored in host_services and released (use mode 2) in the same order; then
// "LW Item Info 9" for the items' rotation orders, which only hosts since
// 2020 offer and which is released only where the host gave it.

// Acquires the four services, and "LW Item Info 9" where the host has it,
// into host_services. Returns false when one of the four is missing; the
// ones already acquired are then released again and the slots of
// host_services are left as the host answered.
bool acquire_scene_services();

// Releases the services acquire_scene_services acquired.
void release_scene_services();

// Holds the four scene services for one scope.
class SceneServicesScope {
 public:
  SceneServicesScope() : held_(acquire_scene_services()) {}
  ~SceneServicesScope() {
    if (held_) release_scene_services();
  }
  SceneServicesScope(const SceneServicesScope &) = delete;
  SceneServicesScope &operator=(const SceneServicesScope &) = delete;

  bool held() const { return held_; }

 private:
  bool held_;
};

}  // namespace KeyFrame
