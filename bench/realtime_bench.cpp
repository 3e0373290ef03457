// Time of one real-time rotation step for 1, 100 and 10,000 selected items.
//
// Through the module: a "Tavorix:RealTime" handler instance in the stand-in
// host gets "AddRotation " command events. With N items tracked only every
// N-th command carries a step, so one iteration sends N commands: one step
// plus N - 1 commands that are only counted (ThroughModule/N). The step alone
// is measured by calling correct_angle_realtime on a collected set of records
// (StepOnly/N); both include starting and ending the worker threads of the
// parallel part, which every step with more than one item does.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench_paths.h"
#include "host/envelope_service.h"
#include "host/handles.h"
#include "host/host.h"
#include "keys/key_info.h"
#include "loader/master_handlers.h"
#include "loader/module_loader.h"
#include "module/host_services.h"
#include "realtime/correct_angle_realtime.h"

namespace {

constexpr const char *kStep = "AddRotation 0.5 0.25 0.125";

// Items keyed at time 0 with varied angles, all selected.
void add_selected_items(scene::Scene &scene, int count) {
  for (int i = 0; i < count; ++i) {
    scene::Item &item = scene.add_item("Item" + std::to_string(i));
    item.envelope("Rotation.H")->create(0.0, 0.001 * i);
    item.envelope("Rotation.P")->create(0.0, 0.3 - 0.0001 * i);
    item.envelope("Rotation.B")->create(0.0, -0.2);
    scene.add_to_selection(&item);
  }
}

void ThroughModule(benchmark::State &state) {
  const int count = static_cast<int>(state.range(0));
  host::Host host;
  std::unique_ptr<loader::LoadedModule> module =
      loader::LoadedModule::load(bench_support::paths::module_file());
  add_selected_items(host.scene(), count);
  {
    loader::MasterHandlers handlers(host);  // goes before the module is unloaded
    handlers.add(*module, "Tavorix:RealTime");
    // Start tracking and complete the first group.
    for (int i = 0; i < count; ++i) handlers.command(kStep);
    for (auto _ : state) {
      for (int i = 0; i < count; ++i) handlers.command(kStep);
      host.clear_commands();  // the recorded "RefreshNow"
    }
  }
  state.counters["items"] = count;
}

void StepOnly(benchmark::State &state) {
  const int count = static_cast<int>(state.range(0));
  host::Host host;
  add_selected_items(host.scene(), count);
  KeyFrame::host_services.envelope_funcs = const_cast<LWEnvelopeFuncs *>(&host::envelope_funcs_table());

  KeyFrame::KeyInfo info(KeyFrame::kModeRealTime);
  for (const auto &item : host.scene().items()) {
    scene::Envelope *heading = item->envelope("Rotation.H");
    scene::Envelope *pitch = item->envelope("Rotation.P");
    scene::Envelope *bank = item->envelope("Rotation.B");
    KeyFrame::KeyRecord record;
    record.heading_envelope = host::to_handle(heading);
    record.pitch_envelope = host::to_handle(pitch);
    record.bank_envelope = host::to_handle(bank);
    record.heading_key = host::to_handle(heading->find(0.0));
    record.pitch_key = host::to_handle(pitch->find(0.0));
    record.bank_key = host::to_handle(bank->find(0.0));
    record.angles = {heading->find(0.0)->value, pitch->find(0.0)->value, bank->find(0.0)->value};
    info.records.push_back(record);
  }
  info.item_count = info.records.size();
  info.rotation_offset = {0.5 * 0.017453292519943295, 0.25 * 0.017453292519943295,
                          0.125 * 0.017453292519943295};
  for (auto _ : state) {
    KeyFrame::correct_angle_realtime(&info);
    benchmark::DoNotOptimize(info.records[0].angles);
  }
  state.counters["items"] = count;
}

}  // namespace

BENCHMARK(ThroughModule)->Arg(1)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(StepOnly)->Arg(1)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);
