#!/usr/bin/env bash
# Runs a Windows program under Wine, as CTest's cross-compiling emulator for
# the Windows build: scripts/wine-run.sh PREFIX PROGRAM [ARGUMENTS...]
#
# PREFIX is the Wine prefix, made on first use (about 10 s). Wine's own
# diagnostics are off. The prefix's Wine server and services are started
# once, apart from the caller's standard streams, and the server is kept
# running until `scripts/wine-run.sh PREFIX --stop`: each test program then
# starts in a fraction of a second, and a program ending does not take the
# server down under the others. (Started from a test, the server and the
# services would hold the test's output pipe open after it ended.)
#
# scripts/wine-run.sh --test PREFIX PROGRAM [ARGUMENTS...] runs a test
# program (the form CTest uses). A test program prints before it can fail,
# so a run that fails having printed nothing at all on its standard output
# is Wine failing to start it, seen very rarely on a loaded machine: it is
# run again, at most twice, and each such retry is noted on standard error
# and in PREFIX.retries, which scripts/test-windows.sh reports. A test that
# starts a program of its own tries again when Wine refuses to start it
# (tests/support/test_platform_windows.cpp) and notes that on standard error
# in a line "child-start retry: ..."; those lines go to PREFIX.retries too.
set -euo pipefail
test_program=false
if [ "${1:-}" = "--test" ]; then
  test_program=true
  shift
fi
prefix=${1:?Wine prefix}
shift
export WINEPREFIX=$prefix WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)

if [ "${1:-}" = "--stop" ]; then
  wineserver -k 2>/dev/null || true
  exit 0
fi

if ! wineserver -k0 2>/dev/null; then
  mkdir -p "$prefix"
  (
    flock 9
    if ! wineserver -k0 2>/dev/null; then
      setsid wineserver -p </dev/null >/dev/null 2>&1
      setsid "$wine" wineboot </dev/null >/dev/null 2>&1 || true
    fi
  ) 9>"$prefix.lock"
fi
if ! $test_program; then
  exec "$wine" "$@"
fi

out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
for attempt in 1 2 3; do
  status=0
  "$wine" "$@" >"$out" 2>"$err" || status=$?
  if [ "$status" -eq 0 ] || [ -s "$out" ] || [ "$attempt" -eq 3 ]; then
    break
  fi
  note="wine-run.sh: $* ended with status $status before printing anything (run $attempt); running it again"
  echo "$note" >&2
  echo "$note" >>"$prefix.retries"
done
grep -a '^child-start retry: ' "$err" | tr -d '\r' | sed "s|^|wine-run.sh: $1: |" >>"$prefix.retries" || true
cat "$out"
cat "$err" >&2
exit "$status"
