#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer + UndefinedBehavior-
# Sanitizer) into build-fuzz/ (or $BUILD_DIR) and runs them.
#
# Usage:
#   scripts/fuzz.sh smoke                  every target for 20 s (CI)
#   scripts/fuzz.sh run SECONDS [TARGET]   every target, or TARGET, for SECONDS each
#   scripts/fuzz.sh merge [TARGET]         adds to the seed corpus fuzz/corpus/TARGET the
#                                          inputs of the runs so far that reach code it
#                                          does not (one input per new edge, so it stays small)
#
# Each run starts from the seed corpus fuzz/corpus/TARGET and keeps what it
# finds in $BUILD_DIR/corpus/TARGET. A finding (crash, leak, hang, failed
# check) stops the run with its input in $BUILD_DIR/artifacts/TARGET/ and
# makes the script fail; reproduce it with `$BUILD_DIR/fuzz/TARGET FILE`.
set -euo pipefail
cd "$(dirname "$0")/.."

targets=(fuzz_command_watcher fuzz_rotation_kernels fuzz_scene_readers)
mode=${1:?smoke, run SECONDS [TARGET] or merge [TARGET]}
build_dir=${BUILD_DIR:-build-fuzz}

# Per target: the longest input and the time one input may take before it
# counts as a hang. Scene files are long; a watcher stream runs many events.
fuzz_options() {
  case "$1" in
    fuzz_command_watcher) echo "-max_len=4096 -timeout=20" ;;
    fuzz_rotation_kernels) echo "-max_len=256 -timeout=5" ;;
    fuzz_scene_readers) echo "-max_len=65536 -timeout=10" ;;
  esac
}

build() {
  scripts/install-deps.sh clang libclang-rt-14-dev
  local werror=OFF
  [ "${CI:-}" = "true" ] && werror=ON
  CC=clang CXX=clang++ cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTAVORIX_FUZZ=ON -DTAVORIX_SANITIZE=address,undefined -DTAVORIX_TESTS=OFF -DTAVORIX_BENCH=OFF \
    -DTAVORIX_WERROR=$werror >/dev/null
  ninja -C "$build_dir" -j "${JOBS:-$(nproc)}" "${targets[@]}"
}

check_target() {
  local target=$1
  for known in "${targets[@]}"; do [ "$known" = "$target" ] && return 0; done
  echo "unknown target '$target'; expected one of: ${targets[*]}" >&2
  exit 2
}

export ASAN_OPTIONS=detect_leaks=1:detect_odr_violation=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# Runs one target for $2 seconds; prints its runs and corpus size.
run_target() {
  local target=$1 seconds=$2
  local corpus=$build_dir/corpus/$target artifacts=$build_dir/artifacts/$target
  local log=$build_dir/fuzz-$target.log
  mkdir -p "$corpus" "$artifacts"
  # shellcheck disable=SC2046
  if ! "$build_dir/fuzz/$target" $(fuzz_options "$target") -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$corpus" "fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "== $target: FINDING, input in $artifacts/ (full log $log)"
    return 1
  fi
  local runs
  runs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$log" | tail -n 1)
  echo "== $target: ${seconds} s, ${runs:-?} runs, no finding; corpus $(find "$corpus" -type f | wc -l) files," \
    "$(du -sh --apparent-size "$corpus" | cut -f1)"
}

case "$mode" in
  smoke)
    build
    failed=0
    for target in "${targets[@]}"; do run_target "$target" 20 || failed=$((failed + 1)); done
    echo "fuzz smoke: $((${#targets[@]} - failed)) passed, $failed failed"
    [ "$failed" -eq 0 ]
    ;;
  run)
    seconds=${2:?run SECONDS [TARGET]}
    chosen=("${targets[@]}")
    if [ $# -ge 3 ]; then
      check_target "$3"
      chosen=("$3")
    fi
    build
    for target in "${chosen[@]}"; do run_target "$target" "$seconds"; done
    ;;
  merge)
    chosen=("${targets[@]}")
    if [ $# -ge 2 ]; then
      check_target "$2"
      chosen=("$2")
    fi
    build
    for target in "${chosen[@]}"; do
      # shellcheck disable=SC2046
      "$build_dir/fuzz/$target" $(fuzz_options "$target") -merge=1 -use_counters=0 "fuzz/corpus/$target" \
        "$build_dir/corpus/$target" >"$build_dir/merge-$target.log" 2>&1
      echo "== $target: seed corpus $(find "fuzz/corpus/$target" -type f | wc -l) files," \
        "$(du -sh --apparent-size "fuzz/corpus/$target" | cut -f1)"
    done
    ;;
  *)
    echo "unknown mode '$mode': expected smoke, run SECONDS [TARGET] or merge [TARGET]" >&2
    exit 2
    ;;
esac
