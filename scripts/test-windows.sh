#!/usr/bin/env bash
# Builds the Windows x64 tree (scripts/build-windows.sh, warnings as errors
# in CI) and runs every test program under Wine, test discovery included,
# through CTest's cross-compiling emulator (scripts/wine-run.sh). The Wine
# prefix lives in the build folder; its server is started once before the
# tests and stopped after them.
# Usage: scripts/test-windows.sh [ctest arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64
build_dir=${BUILD_DIR:-build-windows}
BUILD_DIR=$build_dir scripts/build-windows.sh

# The module file as Layout sees it: exactly one export, its descriptor, and
# no DLL it needs but Windows' own.
module=$build_dir/tavorix.p
exports=$(x86_64-w64-mingw32-objdump -p "$module" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
  sed -n 's/^\s*\[ *[0-9]*\] //p')
if [ "$exports" != "_mod_descrip" ]; then
  echo "$module exports more than its descriptor:" >&2
  echo "$exports" >&2
  exit 1
fi
imports=$(x86_64-w64-mingw32-objdump -p "$module" | sed -n 's/^\s*DLL Name: //p' | sort -u)
if echo "$imports" | grep -qviE '^(kernel32|msvcrt|user32|advapi32|ntdll)\.dll$'; then
  echo "$module needs DLLs that are not Windows' own:" >&2
  echo "$imports" >&2
  exit 1
fi
echo "$module: exports $exports; imports $(echo $imports)"

prefix=$PWD/$build_dir/wine-prefix
trap 'scripts/wine-run.sh "$prefix" --stop' EXIT
# The prefix is made (first run only) and its server started before any
# test, outside CTest's time limits.
scripts/wine-run.sh "$prefix" cmd /c exit 0
rm -f "$prefix.retries"
status=0
ctest --test-dir "$build_dir" --output-on-failure -j "${JOBS:-$(nproc)}" "$@" || status=$?
if [ -s "$prefix.retries" ]; then
  echo "Wine did not start these test programs at the first try (each then ran again):"
  cat "$prefix.retries"
fi
exit "$status"
