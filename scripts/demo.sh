#!/usr/bin/env bash
# Builds everything and runs the main job: the scan demo on the embedded scene.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
build_dir=${BUILD_DIR:-build}
if [ -x "$build_dir/tavorix" ]; then
  "$build_dir/tavorix" demo "$@"
else
  "$build_dir/tests/test_module" --gtest_brief=1
fi
