#!/usr/bin/env bash
# Builds the benchmarks for Windows x64 (mingw-w64, Release, into
# build-windows-bench/ or $BUILD_DIR) with Google Benchmark built from
# Debian's source package (scripts/build-windows-deps.sh bench), runs them
# under Wine and prints the table and the ratios that scripts/bench.sh prints
# for the Linux build. In the same run it then runs the same benchmarks of
# the Linux Release build (build-release/ or $LINUX_BUILD_DIR, built as
# scripts/bench.sh builds it) and prints both side by side: each benchmark's
# time on both, and the Windows module against its scalar kernels and
# against the Linux module. BENCH_LINUX=0 leaves the Linux run out.
#
# Usage: scripts/bench-windows.sh [Google Benchmark flags, e.g. --benchmark_filter=ScanKernels]
#
# The benchmarks run in a session of their own, as in scripts/bench.sh
# (BENCH_AUTOGROUP_NICE there). Side-by-side timings read the wall clock
# under Wine, whose thread CPU clock counts in hundredths of a second
# (bench/bench_platform_windows.cpp); on Linux they read the thread's CPU
# clock, so on a busy machine the Windows column carries the waits too.
# tavorix.p for Windows carries its own task library and C++ runtime: the
# program's thread limit (ScanThreads, ScanSpeedUp) does not reach the
# module's scheduler there, and operator new is counted for the host alone.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/install-deps.sh python3 g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64
build_dir=$(realpath -m "${BUILD_DIR:-build-windows-bench}")
linux_build_dir=$(realpath -m "${LINUX_BUILD_DIR:-build-release}")
prefix=$(scripts/build-windows-deps.sh bench)
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=Release -DTAVORIX_TESTS=OFF -DTAVORIX_BENCH=ON -DTAVORIX_SLEEF=OFF >/dev/null
ninja -C "$build_dir" -j "${JOBS:-$(nproc)}" tavorix_bench
if [ "${BENCH_LINUX:-1}" != 0 ]; then
  cmake -S . -B "$linux_build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  ninja -C "$linux_build_dir" -j "${JOBS:-$(nproc)}" tavorix_bench
fi

wine_prefix=$build_dir/wine-prefix
trap 'scripts/wine-run.sh "$wine_prefix" --stop' EXIT
# The prefix is made (first run only) and its server started before timing.
scripts/wine-run.sh "$wine_prefix" cmd /c exit 0
windows_results=$build_dir/bench-results.json
linux_results=$linux_build_dir/bench-results.json
run_in_own_session() {
  BENCH_AUTOGROUP_NICE=${BENCH_AUTOGROUP_NICE:-} setsid --wait bash -c '
    if [ -n "$BENCH_AUTOGROUP_NICE" ] && [ -w /proc/self/autogroup ]; then
      echo "$BENCH_AUTOGROUP_NICE" >/proc/self/autogroup
    fi
    exec "$@"' bench "$@" >&2
}
echo "== Windows module, under Wine" >&2
run_in_own_session scripts/wine-run.sh "$wine_prefix" "$build_dir/bench/tavorix_bench.exe" \
  "--benchmark_out=Z:$windows_results" --benchmark_out_format=json "$@"
if [ "${BENCH_LINUX:-1}" = 0 ]; then
  python3 scripts/bench-report.py "$windows_results"
  exit 0
fi
echo "== Linux module" >&2
run_in_own_session "$linux_build_dir/bench/tavorix_bench" "--benchmark_out=$linux_results" \
  --benchmark_out_format=json "$@"
python3 scripts/bench-report.py "$windows_results" --beside "$linux_results" --names Windows,Linux
