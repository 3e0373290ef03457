#!/usr/bin/env bash
# Builds and runs the tests under a sanitizer.
# Usage: scripts/test-sanitized.sh address|thread [ctest arguments...]
#   address: AddressSanitizer + UndefinedBehaviorSanitizer, every test.
#   thread:  ThreadSanitizer, every test but the allocation-failure sweeps.
set -euo pipefail
cd "$(dirname "$0")/.."
kind=${1:?address or thread}
shift
scripts/install-deps.sh
extra=()
case "$kind" in
  address) sanitize=address,undefined ;;
  thread)
    sanitize=thread
    extra=(-DTBB_DIR="$(scripts/build-tbb-tsan.sh)/lib/cmake/TBB")
    ;;
  *) echo "unknown sanitizer kind: $kind" >&2; exit 2 ;;
esac
build_dir=build-$kind
# -O1 with line tables only: the sanitizers' reports still name file and
# line, and the build takes about half as long as at -O2 with full debug
# information.
flags="-O1 -g1 -DNDEBUG"
BUILD_DIR=$build_dir scripts/build.sh -DTAVORIX_SANITIZE=$sanitize -DTAVORIX_BENCH=OFF \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=$flags" "-DCMAKE_C_FLAGS_RELWITHDEBINFO=$flags" "${extra[@]}"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_odr_violation=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/scripts/tsan.supp"
ctest --test-dir "$build_dir" --output-on-failure -j "${JOBS:-$(nproc)}" "$@"
