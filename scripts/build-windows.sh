#!/usr/bin/env bash
# Cross-compiles the Windows x64 build (tavorix.p, tavorix.exe, the test
# programs) with mingw-w64 into build-windows/ (or $BUILD_DIR). Its tests run
# under Wine: scripts/test-windows.sh. Extra arguments go to cmake.
# Without SLEEF (not built for Windows here): the read-back of many keys
# takes the C library's functions one lane at a time.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build_dir=${BUILD_DIR:-build-windows}
prefix=$(scripts/build-windows-deps.sh)
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} -DTAVORIX_WERROR=$werror \
  -DTAVORIX_BENCH=OFF -DTAVORIX_SLEEF=OFF "-DCMAKE_CROSSCOMPILING_EMULATOR=$root/scripts/wine-run.sh;--test;$root/$build_dir/wine-prefix" \
  "$@" >/dev/null
ninja -C "$build_dir" -j "${JOBS:-$(nproc)}"
