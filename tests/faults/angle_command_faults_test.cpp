// Out of memory at every allocation of a one-shot command: the module tells
// the user what failed, releases what it acquired and leaves the scene as it
// was.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "faults/allocation_failure.h"
#include "support/module_harness.h"
#include "support/rotation_keys.h"

namespace {

using testing_support::AllocationFailure;
using testing_support::ModuleHarness;

struct KeySnapshot {
  std::vector<std::vector<std::pair<double, double>>> envelopes;
  bool operator==(const KeySnapshot &o) const { return envelopes == o.envelopes; }
};

KeySnapshot snapshot(const scene::Scene &scene) {
  KeySnapshot s;
  for (const auto &item : scene.items()) {
    for (const auto &channel : item->channels) {
      std::vector<std::pair<double, double>> keys;
      for (const scene::Key *k = channel->envelope.first(); k != nullptr; k = k->next) {
        keys.emplace_back(k->time, k->value);
      }
      s.envelopes.push_back(keys);
    }
  }
  return s;
}

void build_scene(scene::Scene &scene) {
  for (int i = 0; i < 6; ++i) {
    scene::Item &item = scene.add_item("Item" + std::to_string(i));
    testing_support::set_rotation_key(item, 0.0, {0.1 * i, 0.5, -0.2});
    testing_support::set_rotation_key(item, 2.0, {3.5, 2.9 - 0.1 * i, 3.0});
    if (i % 2 == 0) item.envelope("Rotation.P")->create(1.0, 0.7);  // others get created keys
    scene.add_to_selection(&item);
  }
  scene.set_current_time(1.0);
}

// Runs `server` with allocation n failing, for n = 1, 2, ... until the run
// completes without reaching the armed allocation. Returns the number of
// allocations the complete run made.
std::uint64_t sweep(const std::string &server) {
  for (std::uint64_t n = 1;; ++n) {
    SCOPED_TRACE(server + ", allocation " + std::to_string(n));
    ModuleHarness m;
    build_scene(m.host.scene());
    const KeySnapshot before = snapshot(m.host.scene());
    m.host.reset_service_counts();
    m.host.set_print_messages(false);

    AllocationFailure::fail_at(n);
    const int result = m.run(server);
    const std::uint64_t made = AllocationFailure::disarm();

    EXPECT_TRUE(m.host.services_balanced());
    // The host's convention: a command that cannot finish posts an error
    // and answers AFUNC_OK.
    EXPECT_EQ(result, AFUNC_OK);
    const std::vector<host::HostMessage> messages = m.host.messages();
    if (!AllocationFailure::triggered()) {
      EXPECT_TRUE(messages.empty());
      return made;
    }
    if (messages.size() == 1) {
      EXPECT_EQ(messages[0].kind, "error");
      EXPECT_EQ(messages[0].line1, server + " could not finish: out of memory.");
      EXPECT_EQ(messages[0].line2, "The scene was left as it was.");
    } else {
      ADD_FAILURE() << messages.size() << " messages posted, expected one error";
    }
    EXPECT_TRUE(snapshot(m.host.scene()) == before) << "a failed run changed the scene";
    if (n > 10000) {
      ADD_FAILURE() << "the sweep does not end";
      return n;
    }
  }
}

TEST(AllocationFailure, EveryAllocationOfTheAngleCommands) {
  for (const char *server : {"Tavorix:InferiorAngle", "Tavorix:SuperiorAngle"}) {
    const std::uint64_t allocations = sweep(server);
    EXPECT_GT(allocations, 0u) << server;
    std::printf("%s: %llu allocations swept\n", server, static_cast<unsigned long long>(allocations));
  }
}

}  // namespace
