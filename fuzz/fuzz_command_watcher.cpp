// The real-time watcher fed arbitrary event streams: a "Tavorix:RealTime"
// handler instance, made through the module's own activation, in a stand-in
// host scene of a few items with keys, receives command events of any text
// ("AddRotation " steps with numbers of every kind among them), time and
// selection events, unknown codes and null texts, while the host deletes
// keys, damages values, withholds services and replaces the instance.
//
// What must hold:
// - nothing crashes (AddressSanitizer, UndefinedBehaviorSanitizer);
// - no event makes a key that held a finite value non-finite, nor leaves a
//   key the watcher created holding a non-finite value; a key triple with a
//   non-finite component, or one too large to turn, is left exactly as it
//   was; no key that existed before an event is gone after it;
// - once every instance is destroyed, each scene service was released as
//   often as it was acquired.
#include <tbb/global_control.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_input.h"
#include "host/host.h"
#include "loader/master_handlers.h"
#include "module/host_interface.h"
#include "module/servers.h"
#include "rotation/angle_constants.h"
#include "scene/scene.h"

namespace {

constexpr int kMaxItems = 4;
constexpr int kMaxEvents = 96;
constexpr double kFrame = 1.0 / 30.0;
const char *const kRotationChannels[3] = {"Rotation.H", "Rotation.P", "Rotation.B"};
const char *const kSceneServices[4] = {LWINTERFACEINFO_GLOBAL, LWITEMINFO_GLOBAL, LWCHANNELINFO_GLOBAL,
                                       LWENVELOPEFUNCS_GLOBAL};

// Command words the watcher reacts to, and some it must ignore.
const char *const kCommandWords[] = {
    "AddRotation ",
    "AddRotation",
    "LocalCoordinateSystem",
    "WorldCoordinateSystem",
    "ParentCoordinateSystem",
    "PivotRotation",
    "RecordPivotRotation",
    "RotatePivotTool",
    "Reset",
    "Generic_Tavorix:Scan",
    "RefreshNow",
    "DeleteKey 0",
    "CreateKey 0",
    "Rotation 0 0 0",
    "AutoKey 0",
    "",
};

// Texts for one amount of an "AddRotation" command.
std::string amount_text(fuzz_input::Bytes &in) {
  static const char *const kWords[] = {"inf", "-inf", "nan", "-nan", "1e999", "-1e999", "0x1p3", "1e-400",
                                       "",    " ",    "+",   "-",    ".",     "1e",     "0x",    "infinity"};
  char text[64];
  switch (in.byte() % 4) {
    case 0: std::snprintf(text, sizeof text, "%.17g", in.number()); return text;
    case 1: std::snprintf(text, sizeof text, "%g", in.number()); return text;
    case 2: return kWords[in.byte() % (sizeof kWords / sizeof kWords[0])];
    default: std::snprintf(text, sizeof text, "%a", in.number()); return text;
  }
}

std::string rotation_command(fuzz_input::Bytes &in) {
  std::string text = "AddRotation ";
  const int amounts = in.byte() % 5;
  for (int i = 0; i < amounts; ++i) {
    if (i > 0) text += in.byte() % 8 == 0 ? "  " : " ";
    text += amount_text(in);
  }
  return text;
}

// A key's identity across an event: its envelope and time. Key addresses
// can be reused once the watcher destroys a key it created.
using KeyPlace = std::pair<const scene::Envelope *, double>;
using KeyValues = std::map<KeyPlace, double>;

// The rotation keys of the scene, and per envelope the other two rotation
// envelopes of its item (null where the item lacks one).
struct RotationKeys {
  KeyValues values;
  std::map<const scene::Envelope *, std::array<const scene::Envelope *, 3>> triples;
};

RotationKeys rotation_keys(const scene::Scene &scene) {
  RotationKeys keys;
  for (const auto &item : scene.items()) {
    std::array<const scene::Envelope *, 3> triple{};
    for (int c = 0; c < 3; ++c) triple[c] = item->envelope(kRotationChannels[c]);
    for (const scene::Envelope *envelope : triple) {
      if (envelope == nullptr) continue;
      keys.triples[envelope] = triple;
      for (const scene::Key *key = envelope->first(); key != nullptr; key = key->next) {
        keys.values[{envelope, key->time}] = key->value;
      }
    }
  }
  return keys;
}

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

[[noreturn]] void fail(const char *what, double time, double before, double after) {
  std::fprintf(stderr, "command watcher: %s (key at t=%.17g: %.17g -> %.17g)\n", what, time, before, after);
  std::abort();
}

// What a module event may do to the keys:
// - no key that existed before it is gone (the watcher removes only keys it
//   planted in the same event);
// - no key that held a finite value holds another now, no new key holds one;
// - a key triple (an item's three rotation keys at one time) with a
//   non-finite component, or one beyond kLargestPlacedAngle (where no turned
//   value could hold its orientation), keeps every key it had, bit for bit. Triples the
//   host wrote into while the watcher may have been tracking (`host_writes`)
//   are exempt: the watcher holds the values it collected and writes them
//   without reading the keys again, by design, as it overwrites the host's
//   own write of each rotation step.
void check_keys(const RotationKeys &before, const RotationKeys &after,
                const std::set<KeyPlace> &host_writes) {
  for (const auto &[place, value] : before.values) {
    const auto now = after.values.find(place);
    if (now == after.values.end())
      fail("a key that existed before the event is gone", place.second, value, 0.0);
  }
  for (const auto &[place, value] : after.values) {
    if (std::isfinite(value)) continue;
    const auto old = before.values.find(place);
    if (old == before.values.end()) {
      fail("a key the watcher created holds a non-finite value", place.second, 0.0, value);
    }
    if (std::isfinite(old->second)) fail("a finite key became non-finite", place.second, old->second, value);
  }
  for (const auto &[place, value] : before.values) {
    if (std::fabs(value) <= KeyFrame::kLargestPlacedAngle) continue;  // finite and placeable
    const auto &triple = before.triples.at(place.first);
    bool written_by_host = false;
    for (const scene::Envelope *envelope : triple)
      written_by_host |= host_writes.count({envelope, place.second}) != 0;
    if (written_by_host) continue;
    for (const scene::Envelope *envelope : triple) {
      if (envelope == nullptr) continue;
      const auto old = before.values.find({envelope, place.second});
      if (old == before.values.end()) continue;
      const double now = after.values.at({envelope, place.second});
      if (!same_bits(old->second, now)) {
        fail("a key of a triple with a non-finite or too large component changed", place.second, old->second,
             now);
      }
    }
  }
}

// The scene: up to kMaxItems items keyed at frames 0 to 2. A shape byte per
// item says which frames are keyed, whether the values come from the input
// (any double) or are ordinary angles, whether the item lacks rotation
// channels, and whether it is selected.
void build_scene(fuzz_input::Bytes &in, scene::Scene &scene) {
  const int count = 1 + in.byte() % kMaxItems;
  std::vector<scene::Item *> selected;
  for (int i = 0; i < count; ++i) {
    const std::uint8_t shape = in.byte();
    const std::string name = "Item" + std::to_string(i);
    scene::Item *item = nullptr;
    if (shape & 0x10) {
      item = &scene.add_item_with_channels(name, scene::ItemKind::Null,
                                           {"Position.X", "Rotation.H", "Rotation.P"});
    } else {
      item = &scene.add_item(name);
    }
    for (int frame = 0; frame < 3; ++frame) {
      if ((shape & (1 << frame)) == 0) continue;
      for (int c = 0; c < 3; ++c) {
        scene::Envelope *envelope = item->envelope(kRotationChannels[c]);
        if (envelope == nullptr) continue;
        const double value = (shape & 0x08) ? in.number() : 0.3 * (i + 1) - 0.2 * c + 0.1 * frame;
        envelope->create(frame * kFrame, value);
      }
    }
    if ((shape & 0x40) == 0) selected.push_back(item);
  }
  scene.select(selected);
}

// A time near the keyed frames: on them, between them, one ulp off, or any double.
double event_time(fuzz_input::Bytes &in) {
  switch (in.byte() % 6) {
    case 0: return 0.0;
    case 1: return kFrame;
    case 2: return 2 * kFrame;
    case 3: return std::nextafter(kFrame, 1.0);
    case 4: return 0.5 * kFrame;
    default: return in.number();
  }
}

class WatcherRun {
 public:
  explicit WatcherRun(fuzz_input::Bytes &in) : in_(in) {
    host_.set_print_messages(false);
    build_scene(in_, host_.scene());
    add_instance();
  }

  void run() {
    for (int event = 0; event < kMaxEvents && !in_.empty(); ++event) step();
  }

  void finish() {
    // Restore the services so a destroy that needs none still balances.
    for (const char *name : kSceneServices) host_.withhold(name, false);
    handlers_.reset();
    if (!host_.services_balanced()) {
      std::fprintf(stderr, "command watcher: scene services not released as often as acquired\n");
      std::abort();
    }
  }

 private:
  void add_instance() { id_ = handlers_->add(KeyFrame::activate_realtime, nullptr, "Tavorix:RealTime"); }

  // A module event, with the finiteness check around it.
  template <typename Send>
  void module_event(Send send) {
    const RotationKeys before = rotation_keys(host_.scene());
    send();
    check_keys(before, rotation_keys(host_.scene()), host_writes_);
  }

  void command(const std::string &text) {
    module_event([&] { handlers_->command(text); });
  }

  void step() {
    scene::Scene &scene = host_.scene();
    switch (in_.byte() % 12) {
      case 0:
      case 1:
      case 2: command(rotation_command(in_)); break;
      case 3: {
        const char *word = kCommandWords[in_.byte() % (sizeof kCommandWords / sizeof kCommandWords[0])];
        command(word + in_.text(in_.byte() % 8));
        break;
      }
      case 4: {
        // Any bytes, any length; the watcher sees the text up to its first NUL.
        const std::size_t length = in_.byte() % 2 == 0 ? in_.byte() : in_.u16() % 4096;
        command(in_.text(length));
        break;
      }
      case 5:
        scene.set_current_time(event_time(in_));
        module_event([&] { handlers_->time_changed(); });
        host_writes_.clear();  // tracking has ended
        break;
      case 6: {
        scene::Item *item = scene.items()[in_.byte() % scene.items().size()].get();
        bool selected = false;
        for (scene::Item *s : scene.selection()) selected = selected || s == item;
        if (selected) {
          scene.remove_from_selection(item);
        } else {
          scene.add_to_selection(item);
        }
        module_event([&] { handlers_->selection_changed(); });
        host_writes_.clear();  // tracking has ended
        break;
      }
      case 7: {
        const std::uint8_t which = in_.byte();
        void *data = which % 2 == 0 ? nullptr : const_cast<char *>("AddRotation 1 2 3");
        const int code = which % 3 == 0 ? LWEVNT_COMMAND : static_cast<int>(in_.u16()) - 32768;
        module_event([&] { handlers_->send(code, data); });
        break;
      }
      case 8: {
        // The host deletes one rotation key at the current time, as a
        // "DeleteKey" does, before the next event tells anything.
        scene::Item *item = scene.items()[in_.byte() % scene.items().size()].get();
        scene::Envelope *envelope = item->envelope(kRotationChannels[in_.byte() % 3]);
        if (envelope == nullptr) break;
        scene::Key *key = envelope->find(scene.current_time());
        if (key != nullptr) envelope->destroy(key);
        break;
      }
      case 9: {
        // The host puts any value (NaN, infinity, 1e300, ...) into a key.
        scene::Item *item = scene.items()[in_.byte() % scene.items().size()].get();
        scene::Envelope *envelope = item->envelope(kRotationChannels[in_.byte() % 3]);
        if (envelope == nullptr || envelope->first() == nullptr) break;
        scene::Key *key = in_.byte() % 2 == 0 ? envelope->first() : envelope->last();
        key->value = in_.number();
        host_writes_.insert({envelope, key->time});
        break;
      }
      case 10: {
        const char *name = kSceneServices[in_.byte() % 4];
        host_.withhold(name, in_.byte() % 2 == 0);
        break;
      }
      default:
        // The host drops the instance and makes a new one.
        module_event([&] { handlers_->remove(id_); });
        host_writes_.clear();
        add_instance();
        break;
    }
  }

  fuzz_input::Bytes &in_;
  host::Host host_;
  std::unique_ptr<loader::MasterHandlers> handlers_ = std::make_unique<loader::MasterHandlers>(host_);
  loader::MasterHandlers::Id id_ = 0;
  // Keys the host gave a value since the watcher last certainly dropped what
  // it collected.
  std::set<KeyPlace> host_writes_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  // The process holds the task scheduler for its whole run, as a host with
  // parallel work of its own would. The module's scheduler scopes then leave
  // the worker threads running when a tracking period ends instead of
  // joining them, which would take most of each run's time (and is the
  // unload tests' subject, not this one's).
  static tbb::task_scheduler_handle process_scheduler{tbb::attach{}};
  fuzz_input::Bytes in(data, size);
  WatcherRun run(in);
  run.run();
  run.finish();
  return 0;
}
