#!/usr/bin/env bash
# Measures the peak memory of `tavorix check` and `tavorix scan` on a
# generated .lws scene of about 100 MB (2.7 million keys: 100 nulls, nine
# channels of 3,000 keys each, flips planted in heading and bank) and prints
# each peak with its ratio to the file's size. Uses the build in
# $BUILD_DIR (default build/); the scene goes to a temporary folder.
#
# Usage: scripts/measure-memory.sh [items [keys per channel]]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh time gawk
build_dir=${BUILD_DIR:-build}
[ -x "$build_dir/tavorix" ] || scripts/build.sh
items=${1:-100}
keys=${2:-3000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
scene=$work/large.lws

gawk -v items="$items" -v keys="$keys" 'BEGIN {
  srand(1)
  printf "LWSC\r\n3\r\n\r\nFirstFrame 1\r\nLastFrame %d\r\nFramesPerSecond 30\r\n\r\n", keys
  for (item = 0; item < items; ++item) {
    printf "AddNullObject Null%d\r\nObjectMotion\r\nNumChannels 9\r\n", item
    for (channel = 0; channel < 9; ++channel) {
      printf "Channel %d\r\n{ Envelope\r\n  %d\r\n", channel, keys
      value = rand() * 6 - 3
      for (key = 0; key < keys; ++key) {
        value += rand() * 0.1 - 0.05
        if ((channel == 3 || channel == 5) && rand() < 0.01) value += (rand() < 0.5 ? -1 : 1) * 3.14159265358979
        printf "  Key %.8g %.8g 0 0 0 0 0 0 0\r\n", value, key / 30
      }
      printf "  Behaviors 1 1\r\n}\r\n"
    }
    printf "\r\n"
  }
}' > "$scene"
size=$(stat -c %s "$scene")
echo "scene: $size bytes, $((items * 9 * keys)) keys"

peak() {
  /usr/bin/time -f "%M" "$@" 2>&1 >/dev/null | tail -n 1
}
report() {
  local what=$1 kib=$2
  awk -v what="$what" -v kib="$kib" -v size="$size" \
    'BEGIN { printf "%-28s peak %8.1f MB  = %.2f times the file\n", what, kib * 1024 / 1e6, kib * 1024 / size }'
}
report "tavorix check" "$(peak "$build_dir/tavorix" check "$scene" -q || true)"
report "tavorix scan (report only)" "$(peak "$build_dir/tavorix" scan "$scene" -q)"
report "tavorix scan -o OUT" "$(peak "$build_dir/tavorix" scan "$scene" -o "$work/out.lws" -q)"
report "tavorix scan --in-place" "$(peak "$build_dir/tavorix" scan "$scene" --in-place -q)"
