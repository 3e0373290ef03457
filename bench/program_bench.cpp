// The tavorix program on a large scene file beside the floor of reading it.
//
// ProgramBesideReadingFloor/items:<I>/keys:<K> writes a .lws scene of I
// nulls whose nine channels have K keys each (100 × 3,000: about 108 MB,
// 2.7 million keys, flips planted in heading and bank, as
// scripts/measure-memory.sh makes it) and times, in turn, in each repeat:
//   - the reading floor: read the file into memory and parse every number
//     of its Key lines with std::from_chars, on one core, nothing else;
//   - `tavorix check FILE -q` and `tavorix scan FILE -o OUT -q`, the built
//     program run as a user runs it (its module beside it).
// It reports the fastest of each ("floor_s", "check_s", "scan_s"), their
// ratios to the floor ("check/floor", "scan/floor"), and the programs' peak
// memory against the file's size ("check_peak/file", "scan_peak/file"),
// where the system tells a child's peak.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>

#include "bench/bench_platform.h"
#include "bench_paths.h"

namespace {

// The scene of `items` nulls, `keys` keys a channel, in a new file of the
// temporary folder.
std::string large_scene(int items, int keys) {
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("tavorix-bench-" + std::to_string(items) + "x" +
                                                std::to_string(keys) + "-" + std::to_string(stamp) + ".lws");
  std::FILE *out = std::fopen(path.string().c_str(), "wb");
  if (out == nullptr) throw std::runtime_error("cannot write " + path.string());
  std::mt19937_64 random(1);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::fprintf(out, "LWSC\r\n3\r\n\r\nFirstFrame 1\r\nLastFrame %d\r\nFramesPerSecond 30\r\n\r\n", keys);
  for (int item = 0; item < items; ++item) {
    std::fprintf(out, "AddNullObject Null%d\r\nObjectMotion\r\nNumChannels 9\r\n", item);
    for (int channel = 0; channel < 9; ++channel) {
      std::fprintf(out, "Channel %d\r\n{ Envelope\r\n  %d\r\n", channel, keys);
      double value = unit(random) * 6 - 3;
      for (int key = 0; key < keys; ++key) {
        value += unit(random) * 0.1 - 0.05;
        if ((channel == 3 || channel == 5) && unit(random) < 0.01) {
          value += (unit(random) < 0.5 ? -1 : 1) * 3.14159265358979;
        }
        std::fprintf(out, "  Key %.8g %.8g 0 0 0 0 0 0 0\r\n", value, key / 30.0);
      }
      std::fprintf(out, "  Behaviors 1 1\r\n}\r\n");
    }
    std::fprintf(out, "\r\n");
  }
  if (std::fclose(out) != 0) throw std::runtime_error("cannot write " + path.string());
  return path.string();
}

// The floor: the file read whole, every number of its Key lines parsed.
// Returns how many numbers, so that nothing is left out as unused.
std::size_t read_and_parse(const std::string &path, double &sum) {
  std::FILE *in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) throw std::runtime_error("cannot read " + path);
  std::fseek(in, 0, SEEK_END);
  std::string text(static_cast<std::size_t>(std::ftell(in)), '\0');
  std::fseek(in, 0, SEEK_SET);
  const std::size_t got = std::fread(text.data(), 1, text.size(), in);
  std::fclose(in);
  text.resize(got);
  std::size_t numbers = 0;
  const char *at = text.data();
  const char *const end = at + text.size();
  while (at < end) {
    const char *line_end = std::find(at, end, '\n');
    while (at < line_end && (*at == ' ' || *at == '\t')) ++at;
    if (line_end - at > 4 && std::string_view(at, 4) == "Key ") {
      for (at += 4; at < line_end;) {
        while (at < line_end && (*at == ' ' || *at == '\t' || *at == '\r')) ++at;
        if (at == line_end) break;
        double value = 0.0;
        const auto [stop, error] = std::from_chars(at, line_end, value);
        if (error != std::errc()) break;
        sum += value;
        ++numbers;
        at = stop;
      }
    }
    at = line_end + 1;
  }
  return numbers;
}

void ProgramBesideReadingFloor(benchmark::State &state) {
  const int items = static_cast<int>(state.range(0));
  const int keys = static_cast<int>(state.range(1));
  const std::string scene = large_scene(items, keys);
  const std::string written = scene + ".out.lws";
  const double file_bytes = static_cast<double>(std::filesystem::file_size(scene));
  double floor = 1e30, check = 1e30, scan = 1e30, check_peak = -1, scan_peak = -1, sum = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(read_and_parse(scene, sum));
    floor = std::min(floor, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    // check exits 1 when it finds flips; anything else is a failure.
    const bench_support::ProgramRun checked =
        bench_support::run_program(bench_support::paths::program_file(), {"check", scene, "-q"});
    const bench_support::ProgramRun scanned = bench_support::run_program(
        bench_support::paths::program_file(), {"scan", scene, "-o", written, "-q"});
    if ((checked.exit_code != 0 && checked.exit_code != 1) || scanned.exit_code != 0) {
      state.SkipWithError("tavorix failed");
      break;
    }
    check = std::min(check, checked.seconds);
    scan = std::min(scan, scanned.seconds);
    check_peak = std::max(check_peak, checked.peak_bytes);
    scan_peak = std::max(scan_peak, scanned.peak_bytes);
    state.SetIterationTime(floor + checked.seconds + scanned.seconds);
  }
  std::filesystem::remove(written);
  std::filesystem::remove(scene);
  state.counters["floor_s"] = floor;
  state.counters["check_s"] = check;
  state.counters["scan_s"] = scan;
  state.counters["check/floor"] = check / floor;
  state.counters["scan/floor"] = scan / floor;
  if (check_peak > 0) state.counters["check_peak/file"] = check_peak / file_bytes;
  if (scan_peak > 0) state.counters["scan_peak/file"] = scan_peak / file_bytes;
  state.counters["file_MB"] = file_bytes / 1e6;
}
BENCHMARK(ProgramBesideReadingFloor)
    ->ArgNames({"items", "keys"})
    ->Args({100, 3000})
    ->Args({1, 10})
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
