#!/usr/bin/env bash
# Builds everything and runs every test (normal build, warnings as errors in CI).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# The shape of the tree: no two folders that include each other, no source
# file over 500 lines (docs/architecture.md).
scripts/check-includes.py
scripts/build.sh
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j "${JOBS:-$(nproc)}"
