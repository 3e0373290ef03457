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
set -euo pipefail
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
exec "$wine" "$@"
