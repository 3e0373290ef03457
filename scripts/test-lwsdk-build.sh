#!/usr/bin/env bash
# Builds tavorix.p the way a user with the host's own SDK does, through
# TAVORIX_LWSDK_DIR (the module's sources only, against that SDK's include
# folder, warnings as errors), then runs the tests that load the module file
# against that build. Without an argument the stand-in headers in sdk/ play
# the host's SDK, which proves that the module's code compiles unchanged
# against headers that are only shaped like the host's.
#
# Without an argument it then builds the module a second time against headers
# shaped as before 2020 (sdk/ with tests/data/sdk_before_2020/lwrender.h,
# whose item information table ends before the rotation order) and runs the
# rotation order tests against that file: the module must read the orders of
# a 2020 host however old the headers it was built with.
#
# Usage: scripts/test-lwsdk-build.sh [SDK include folder] [ctest arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
sdk=${1:-}
shift || true
scripts/install-deps.sh

# Builds tavorix.p against the headers in $2 into the folder $1, checks its
# exports and prints its path.
build_module() {
  local build_dir=$1 headers=$2
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} -DTAVORIX_WERROR=ON \
    -DTAVORIX_LWSDK_DIR="$headers" -DTAVORIX_TESTS=OFF -DTAVORIX_BENCH=OFF >/dev/null
  ninja -C "$build_dir" -j "${JOBS:-$(nproc)}" tavorix_module >&2
  local exports
  exports=$(nm -D --defined-only "$build_dir/tavorix.p" | awk '{print $3}')
  if [ "$exports" != "_mod_descrip" ]; then
    echo "tavorix.p built against $headers exports more than its descriptor:" >&2
    echo "$exports" >&2
    exit 1
  fi
  echo "$PWD/$build_dir/tavorix.p"
}

module=$(build_module build-lwsdk "${sdk:-$PWD/sdk}")
older_module=
if [ -z "$sdk" ]; then
  older_headers=$PWD/build-lwsdk-before-2020/include
  rm -rf "$older_headers"
  mkdir -p "$older_headers"
  cp sdk/*.h "$older_headers/"
  cp tests/data/sdk_before_2020/lwrender.h "$older_headers/"
  older_module=$(build_module build-lwsdk-before-2020 "$older_headers")
fi

# The test programs of the normal build, loading this module instead of
# their own. The command-line tests run the program with the module beside
# it and are left out.
scripts/build.sh
TAVORIX_TEST_MODULE=$module ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure \
  -j "${JOBS:-$(nproc)}" -LE 'cli|bench' "$@"
if [ -n "$older_module" ]; then
  TAVORIX_TEST_MODULE=$older_module ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure \
    -j "${JOBS:-$(nproc)}" -LE 'cli|bench' -R 'Order' "$@"
fi
