#!/usr/bin/env bash
# Builds the task library (oneTBB, from Debian's source package of the
# installed version) with ThreadSanitizer into build-deps/tbb-tsan and prints
# that prefix. ThreadSanitizer cannot see the synchronisation inside an
# uninstrumented task library (it recycles task memory between threads
# through its own pools), so a ThreadSanitizer build of ours links this one.
set -euo pipefail
cd "$(dirname "$0")/.."
deps=$PWD/build-deps
prefix=$deps/tbb-tsan
if [ -f "$prefix/lib/libtbb.so" ]; then
  echo "$prefix"
  exit 0
fi
tarball=$(scripts/fetch-debian-source.sh onetbb libtbb-dev)
src=$deps/src
rm -rf "$src" && mkdir -p "$src"
tar -xf "$tarball" -C "$src" --strip-components=1
cmake -S "$src" -B "$deps/tbb-tsan-build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTBB_STRICT=OFF \
  -DTBB_TEST=OFF -DTBB_EXAMPLES=OFF -DTBBMALLOC_BUILD=OFF -DTBB_SANITIZE=thread \
  -DCMAKE_INSTALL_PREFIX="$prefix" >&2
ninja -C "$deps/tbb-tsan-build" -j "${JOBS:-$(nproc)}" install >&2
echo "$prefix"
