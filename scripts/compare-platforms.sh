#!/usr/bin/env bash
# The Linux and the Windows build give the same results: `tavorix scan` on
# every scene in tests/data/scenes and on the demo's scene, run by the Linux
# program and by the Windows one under Wine, prints the same report and
# writes the same keys, each value within 1e-12 rad (the two C libraries may
# round a last bit differently); `tavorix demo` prints the same table.
#
# Usage: scripts/compare-platforms.sh [LINUX_BUILD [WINDOWS_BUILD]]
#        (default build/ and build-windows/, both built already)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
linux_build=$(realpath "${1:-build}")
windows_build=$(realpath "${2:-build-windows}")
scripts/install-deps.sh python3 >/dev/null
wine_prefix=$windows_build/wine-prefix
work=$(mktemp -d)
trap 'scripts/wine-run.sh "$wine_prefix" --stop; rm -rf "$work"' EXIT

linux() { "$linux_build/tavorix" "$@"; }
windows() { "$root/scripts/wine-run.sh" "$wine_prefix" "$windows_build/tavorix.exe" "$@"; }

# Runs one tavorix command line on both, each in a folder of its own holding
# the same input files; their standard outputs must match.
both() {
  local name=$1
  shift
  for side in linux windows; do
    mkdir -p "$work/$side/$name"
    cp "${inputs[@]}" "$work/$side/$name/" 2>/dev/null || true
    (cd "$work/$side/$name" && "$side" "$@" >stdout 2>stderr) || {
      echo "$side: tavorix $* failed:" >&2
      cat "$work/$side/$name/stderr" >&2
      return 1
    }
  done
  if ! diff -u "$work/linux/$name/stdout" "$work/windows/$name/stdout"; then
    echo "tavorix $*: the reports differ (above, Linux first)" >&2
    return 1
  fi
}

inputs=()
both demo demo --save-scene demo.json
inputs=("$work/linux/demo/demo.json")
both demo-scan scan demo.json --all -o fixed.json
for scene in tests/data/scenes/*.lws; do
  name=$(basename "$scene" .lws)
  inputs=("$scene")
  both "$name" scan "$(basename "$scene")" --all -o fixed.lws
  both "$name-json" scan "$(basename "$scene")" --all -o fixed.json
done

python3 - "$work" <<'PY'
import json
import os
import re
import sys

work = sys.argv[1]
tolerance = 1e-12
number = re.compile(r"^[-+]?(\d+\.?\d*|\.\d+)([eE][-+]?\d+)?$")
compared = 0
largest = 0.0
failures = []


def close(a, b, where):
    global compared, largest
    compared += 1
    difference = abs(a - b)
    largest = max(largest, difference)
    if difference > tolerance:
        failures.append(f"{where}: {a!r} (Linux) and {b!r} (Windows) differ by {difference:.3g}")


def walk(a, b, where):
    if isinstance(a, dict) and isinstance(b, dict):
        if a.keys() != b.keys():
            failures.append(f"{where}: other fields")
            return
        for key in a:
            walk(a[key], b[key], f"{where}.{key}")
    elif isinstance(a, list) and isinstance(b, list):
        if len(a) != len(b):
            failures.append(f"{where}: {len(a)} entries (Linux), {len(b)} (Windows)")
            return
        for i, (x, y) in enumerate(zip(a, b)):
            walk(x, y, f"{where}[{i}]")
    elif isinstance(a, (int, float)) and isinstance(b, (int, float)) and not isinstance(a, bool):
        close(float(a), float(b), where)
    elif a != b:
        failures.append(f"{where}: {a!r} (Linux), {b!r} (Windows)")


files = 0
for name in sorted(os.listdir(os.path.join(work, "linux"))):
    for output in ("fixed.json", "fixed.lws"):
        left = os.path.join(work, "linux", name, output)
        right = os.path.join(work, "windows", name, output)
        if not os.path.exists(left):
            continue
        files += 1
        if not os.path.exists(right):
            failures.append(f"{name}/{output}: not written on Windows")
            continue
        if output.endswith(".json"):
            with open(left) as l, open(right) as r:
                walk(json.load(l), json.load(r), f"{name}/{output}")
            continue
        # A scene file: the same lines, word for word, numbers within the
        # tolerance (only the values of rewritten keys are new text).
        with open(left, "rb") as l, open(right, "rb") as r:
            left_lines, right_lines = l.read().split(b"\n"), r.read().split(b"\n")
        if len(left_lines) != len(right_lines):
            failures.append(f"{name}/{output}: {len(left_lines)} lines (Linux), {len(right_lines)} (Windows)")
            continue
        for n, (x, y) in enumerate(zip(left_lines, right_lines), 1):
            if x == y:
                continue
            xs, ys = x.decode("latin-1").split(), y.decode("latin-1").split()
            if len(xs) != len(ys):
                failures.append(f"{name}/{output}:{n}: other words")
                continue
            for a, b in zip(xs, ys):
                if a == b:
                    continue
                if number.match(a) and number.match(b):
                    close(float(a), float(b), f"{name}/{output}:{n}")
                else:
                    failures.append(f"{name}/{output}:{n}: {a!r} (Linux), {b!r} (Windows)")

for failure in failures[:40]:
    print(failure)
print(f"compared {files} scene files written on both platforms, {compared} numbers; largest difference "
      f"{largest:.3g} (tolerance {tolerance:g})")
sys.exit(1 if failures else 0)
PY
echo "Linux and Windows builds agree: the same reports and keys."
