#!/usr/bin/env bash
# Runs two builds of tavorix on the same inputs and compares everything they
# give, byte for byte: standard output, standard error, exit code and every
# file written (scenes, plots, backups). Made for changes that must not change
# behaviour: give the build from before and the build from after.
#
#   scripts/compare-outputs.sh OLD_DIR NEW_DIR
#
# Each DIR holds a tavorix and its tavorix.p. The inputs are every scene under
# tests/data, each also converted to JSON, and the demo's scene; each is run
# through check, scan, inferior, superior, run and plot with several options.
# Exit code 0 when every run matches, 1 otherwise (the differences listed).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -ne 2 ]; then
  echo "usage: $0 OLD_DIR NEW_DIR (each with tavorix and tavorix.p)" >&2
  exit 2
fi
old=$(cd "$1" && pwd)
new=$(cd "$2" && pwd)
for dir in "$old" "$new"; do
  for file in tavorix tavorix.p; do
    [ -f "$dir/$file" ] || { echo "$0: $dir has no $file" >&2; exit 2; }
  done
done
work=$(mktemp -d)
trap '[ -n "${KEEP_OUTPUTS:-}" ] || rm -rf "$work"' EXIT

# The inputs, laid out once and copied to each side so that paths in the
# outputs are the same text on both.
inputs=$work/inputs
mkdir -p "$inputs"
for scene in "$here"/tests/data/*/*.lws; do
  cp "$scene" "$inputs/"
done
cat >"$inputs/turn.txt" <<'EOF'
# a turn at the first item, a key, then a scan of the whole scene
AutoKey 0
SelectByName __FIRST__
GoToFrame 10
AddRotation 45 10 0
CreateKey 0.4166666666666667
RefreshNow
Generic_Tavorix:Scan
RefreshNow
EOF

# One run: the name of the case, then the command line after "tavorix".
cases=()
add_case() { cases+=("$*"); }
add_case "demo -o demo.svg --save-scene demo.json"
add_case "demo -q -o -"
for scene in "$inputs"/*.lws; do
  name=$(basename "$scene" .lws)
  add_case "scan $name.lws -o $name.json"
done
scenes=()
for scene in "$inputs"/*.lws; do
  scenes+=("$(basename "$scene")")
done

# Runs every case in DIR with the binaries of BIN; the second set of cases
# needs the JSON files of the first, so they run in two rounds.
run_side() {
  local bin=$1 dir=$2 index=0
  mkdir -p "$dir"
  cp -r "$inputs"/. "$dir/"
  cd "$dir"
  run_one() {
    local id=$1
    shift
    set +e
    "$bin/tavorix" "$@" --module "$bin/tavorix.p" >"out/$id.stdout" 2>"out/$id.stderr"
    echo $? >"out/$id.rc"
    set -e
  }
  mkdir -p out
  for line in "${cases[@]}"; do
    index=$((index + 1))
    # shellcheck disable=SC2086
    run_one "$(printf '%03d' $index)" $line
  done
  local all=("${scenes[@]}")
  for json in *.json; do
    all+=("$json")
  done
  for scene in "${all[@]}"; do
    local base=${scene%.*} ext=${scene##*.}
    local first
    first=$("$bin/tavorix" check "$scene" --module "$bin/tavorix.p" 2>/dev/null |
      awk 'NR > 2 && NF > 0 { print $1; exit }' || true)
    sed "s/__FIRST__/${first:-none}/" turn.txt >"turn-$base-$ext.txt"
    local variants=(
      "check $scene"
      "check $scene --all --anchor-near-zero"
      "check $scene --key-missing"
      "check $scene --hermite-tangents stored"
      "check $scene -q"
      "scan $scene -o scan-$base.$ext --plot scan-$base-$ext.svg"
      "scan $scene --key-missing --anchor-near-zero -o scan-km-$base.$ext"
      "scan $scene -o scan-$base-$ext.json"
      "scan $scene -q -o scan-q-$base.$ext"
      "inferior $scene --all --frame 10 -o inferior-$base.$ext"
      "superior $scene --all --time 1.5 -o superior-$base.$ext"
      "run $scene --script turn-$base-$ext.txt --master Tavorix:RealTime -o run-$base.$ext"
      "run $scene --script turn-$base-$ext.txt --all --frame 5 -o run-all-$base.$ext"
      "plot $scene -o plot-$base-$ext.svg"
      "plot $scene --all --anchor-near-zero -o -"
    )
    for line in "${variants[@]}"; do
      index=$((index + 1))
      # shellcheck disable=SC2086
      run_one "$(printf '%03d' $index)" $line
    done
  done
  # Several scenes at once, and a copy replaced in place with its backup.
  index=$((index + 1))
  run_one "$(printf '%03d' $index)" check "${scenes[@]}"
  cp "${scenes[0]}" inplace.lws
  index=$((index + 1))
  run_one "$(printf '%03d' $index)" scan inplace.lws --in-place
  # The command lines, so that a difference can be run again by hand.
  index=0
  for line in "${cases[@]}"; do
    index=$((index + 1))
    echo "$(printf '%03d' $index) $line"
  done >commands.txt
  cd - >/dev/null
}

(run_side "$old" "$work/old")
(run_side "$new" "$work/new")

if diff -r "$work/old" "$work/new" >"$work/differences"; then
  runs=$(find "$work/old/out" -name '*.rc' | wc -l)
  files=$(find "$work/old" -type f | wc -l)
  bytes=$(find "$work/old" -type f -exec cat {} + | wc -c)
  echo "same: $runs runs, $files files ($bytes bytes), byte for byte"
  exit 0
fi
cat "$work/differences"
echo "$0: the outputs differ (above)" >&2
exit 1
