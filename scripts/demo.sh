#!/usr/bin/env bash
# Builds everything and runs the main job: `tavorix demo`, the scan on the
# embedded default scene, which prints a before/after summary and writes
# tavorix-demo.svg. Extra arguments go to `tavorix demo` (e.g. -o plot.svg).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
"${BUILD_DIR:-build}/tavorix" demo "$@"
