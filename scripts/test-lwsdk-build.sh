#!/usr/bin/env bash
# Builds tavorix.p the way a user with the host's own SDK does, through
# TAVORIX_LWSDK_DIR (the module's sources only, against that SDK's include
# folder, warnings as errors), then runs the tests that load the module file
# against that build. Without an argument the stand-in headers in sdk/ play
# the host's SDK, which proves that the module's code compiles unchanged
# against headers that are only shaped like the host's.
#
# Usage: scripts/test-lwsdk-build.sh [SDK include folder] [ctest arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
sdk=${1:-$PWD/sdk}
shift || true
scripts/install-deps.sh
lwsdk_build=build-lwsdk
cmake -S . -B "$lwsdk_build" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} -DTAVORIX_WERROR=ON \
  -DTAVORIX_LWSDK_DIR="$sdk" -DTAVORIX_TESTS=OFF -DTAVORIX_BENCH=OFF >/dev/null
ninja -C "$lwsdk_build" -j "${JOBS:-$(nproc)}" tavorix_module
module=$PWD/$lwsdk_build/tavorix.p

exports=$(nm -D --defined-only "$module" | awk '{print $3}')
if [ "$exports" != "_mod_descrip" ]; then
  echo "tavorix.p built against $sdk exports more than its descriptor:" >&2
  echo "$exports" >&2
  exit 1
fi

# The test programs of the normal build, loading this module instead of
# their own. The command-line tests run the program with the module beside
# it and are left out.
scripts/build.sh
TAVORIX_TEST_MODULE=$module ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure \
  -j "${JOBS:-$(nproc)}" -LE 'cli|bench' "$@"
