#pragma once

// The built module in a stand-in host that answers with edge values, and the
// rules every server must keep with them: a key that held a finite value
// still holds one, no key the module created holds a non-finite one, and
// the servers leave the scene's services balanced.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "loader/master_handlers.h"
#include "support/module_harness.h"
#include "support/orientation.h"
#include "support/rotation_keys.h"
#include "support/scene_builders.h"

namespace hostile {

using KeyFrame::AngleTriple;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kPi = 3.141592653589793;
constexpr double kFrame = 1.0 / 30.0;
const char *const kRotationChannels[3] = {"Rotation.H", "Rotation.P", "Rotation.B"};

enum class Server { Scan, Inferior, Superior, RealTime };
constexpr Server kAllServers[] = {Server::Scan, Server::Inferior, Server::Superior, Server::RealTime};

inline const char *server_name(Server server) {
  switch (server) {
    case Server::Scan: return "Tavorix:Scan";
    case Server::Inferior: return "Tavorix:InferiorAngle";
    case Server::Superior: return "Tavorix:SuperiorAngle";
    case Server::RealTime: return "Tavorix:RealTime";
  }
  return "";
}

// For test names: "Scan", "InferiorAngle", ...
inline std::string server_label(Server server) { return std::string(server_name(server)).substr(8); }
inline std::string server_test_name(const ::testing::TestParamInfo<Server> &param) {
  return server_label(param.param);
}

inline std::uint64_t bits_of(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// Bit for bit: NaN payloads and the sign of zero count.
inline bool same_bits(const AngleTriple &a, const AngleTriple &b) {
  return bits_of(a.heading) == bits_of(b.heading) && bits_of(a.pitch) == bits_of(b.pitch) &&
         bits_of(a.bank) == bits_of(b.bank);
}

inline bool is_finite(const AngleTriple &a) {
  return std::isfinite(a.heading) && std::isfinite(a.pitch) && std::isfinite(a.bank);
}

inline std::string text(const AngleTriple &a) {
  char out[96];
  std::snprintf(out, sizeof out, "(%.17g, %.17g, %.17g)", a.heading, a.pitch, a.bank);
  return out;
}

// The key triple of `item` at exactly `time`; fails the test when a channel
// has no key there.
inline AngleTriple key_at(const scene::Item &item, double time) {
  const auto found = testing_support::rotation_key(item, time);
  EXPECT_TRUE(found.has_value()) << item.name << " has no rotation key triple at t=" << time;
  return found.value_or(AngleTriple{});
}

// The rotation keys of one envelope, in time order: time and value bits.
struct EnvelopeKeys {
  const scene::Envelope *envelope = nullptr;
  std::vector<std::pair<double, std::uint64_t>> keys;

  bool operator==(const EnvelopeKeys &other) const {
    return envelope == other.envelope && keys == other.keys;
  }
};

inline void PrintTo(const EnvelopeKeys &keys, std::ostream *out) { *out << keys.keys.size() << " keys"; }

// Every rotation key of a scene, envelope by envelope in item and channel
// order. Vectors rather than a map: the large scenes hold millions of keys.
using KeyBits = std::vector<EnvelopeKeys>;

inline KeyBits rotation_key_bits(const scene::Scene &scene) {
  KeyBits all;
  for (const auto &item : scene.items()) {
    for (const char *name : kRotationChannels) {
      const scene::Envelope *envelope = item->envelope(name);
      if (envelope == nullptr) continue;
      EnvelopeKeys keys{envelope, {}};
      keys.keys.reserve(envelope->size());
      for (const scene::Key *key = envelope->first(); key != nullptr; key = key->next) {
        keys.keys.emplace_back(key->time, bits_of(key->value));
      }
      all.push_back(std::move(keys));
    }
  }
  return all;
}

inline std::size_t key_count(const KeyBits &all) {
  std::size_t count = 0;
  for (const EnvelopeKeys &keys : all) count += keys.keys.size();
  return count;
}

// `all` without the rotation keys of `item` at `time`.
inline KeyBits without_keys_at(KeyBits all, const scene::Item &item, double time) {
  for (EnvelopeKeys &keys : all) {
    bool of_item = false;
    for (const char *name : kRotationChannels) of_item = of_item || keys.envelope == item.envelope(name);
    if (!of_item) continue;
    keys.keys.erase(std::remove_if(keys.keys.begin(), keys.keys.end(),
                                   [time](const auto &key) { return key.first == time; }),
                    keys.keys.end());
  }
  return all;
}

inline double value_of(std::uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Where a server spread a non-finite value: a key that held a finite value
// and holds another now, or a new key holding one. Empty when there is none.
// `before` and `after` are snapshots of the same scene's items.
inline std::string spread_fault(const KeyBits &before, const KeyBits &after) {
  if (before.size() != after.size()) return "the scene's envelopes changed";
  for (std::size_t e = 0; e < after.size(); ++e) {
    const auto &old_keys = before[e].keys;
    std::size_t o = 0;
    for (const auto &[time, bits] : after[e].keys) {
      while (o < old_keys.size() && old_keys[o].first < time) ++o;
      const double value = value_of(bits);
      if (std::isfinite(value)) continue;
      if (o == old_keys.size() || old_keys[o].first != time) {
        return "a created key at t=" + std::to_string(time) + " holds " + std::to_string(value);
      }
      const double old_value = value_of(old_keys[o].second);
      if (std::isfinite(old_value)) {
        return "the key at t=" + std::to_string(time) + " went from " + std::to_string(old_value) + " to " +
               std::to_string(value);
      }
    }
  }
  return "";
}

// Whether a rewritten key describes the orientation it had, within the
// read-back tolerance model.
inline bool same_orientation(const AngleTriple &before, const AngleTriple &after) {
  return testing_support::frame_distance(before, after) <= testing_support::orientation_tolerance(before);
}

// A stand-in host with the module loaded. Runs any of the four servers the
// way the host would: a generic server through its activation, the real-time
// watcher as one handler instance that sees one rotation step (one
// "AddRotation" command per tracked item, the host writing no key itself)
// and is then destroyed.
struct HostileScene {
  HostileScene() { m.host.set_print_messages(false); }

  testing_support::ModuleHarness m;
  loader::MasterHandlers handlers{m.host};

  scene::Scene &scene() { return m.host.scene(); }

  scene::Item &selected_item(const std::string &name,
                             const std::vector<testing_support::TimedRotation> &keys) {
    scene::Item &item = testing_support::add_rotating_item(scene(), name, keys);
    scene().add_to_selection(&item);
    return item;
  }

  // The selected items the watcher tracks: those with all three rotation
  // channels, of angle type.
  std::size_t trackable_items() {
    std::size_t count = 0;
    for (const scene::Item *item : scene().selection()) {
      bool rotating = true;
      for (const char *name : kRotationChannels) {
        const scene::Channel *channel = item->channel(name);
        rotating = rotating && channel != nullptr && channel->type == LWET_ANGLE;
      }
      count += rotating ? 1 : 0;
    }
    return count;
  }

  // The amounts, degrees, of the real-time rotation step.
  std::string step_command = "AddRotation 2 -1 0.5";

  int run(Server server) {
    if (server != Server::RealTime) return m.run(server_name(server));
    const loader::MasterHandlers::Id id = handlers.add(*m.module, server_name(server));
    const std::size_t commands = std::max<std::size_t>(1, trackable_items());
    for (std::size_t i = 0; i < commands; ++i) handlers.command(step_command);
    handlers.remove(id);
    return AFUNC_OK;
  }

  // Runs `server` and checks the rules that hold whatever the data: a
  // successful result, no non-finite value spread, the services balanced.
  void run_and_check(Server server) {
    const KeyBits before = rotation_key_bits(scene());
    ASSERT_EQ(run(server), AFUNC_OK) << server_name(server);
    const std::string fault = spread_fault(before, rotation_key_bits(scene()));
    EXPECT_TRUE(fault.empty()) << server_name(server) << ": " << fault;
    EXPECT_TRUE(m.host.services_balanced()) << server_name(server);
  }
};

struct HostileTest : ::testing::Test, HostileScene {};

}  // namespace hostile
