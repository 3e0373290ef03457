#!/usr/bin/env bash
# Builds what the Windows x64 build links, with the mingw-w64 toolchain, into
# build-deps/windows-x64 and prints that prefix:
#   - the task library (oneTBB) as a static library, from Debian's source
#     package of the installed libtbb-dev (the same version the Linux build
#     uses), so that tavorix.p is one self-contained file;
#   - GoogleTest from the sources Debian ships with libgtest-dev;
#   - the header-only libraries (nlohmann-json, CLI11) from their Debian
#     packages, with a CMake package file each;
#   - with the argument `bench`, also Google Benchmark as a static library,
#     from Debian's source package of the installed libbenchmark-dev, for the
#     benchmarks (scripts/bench-windows.sh); the tests do not need it.
# The prefix is rebuilt when this script changes.
# Usage: scripts/build-windows-deps.sh [bench]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
deps=$root/build-deps
prefix=$deps/windows-x64
toolchain=$root/cmake/mingw-w64-x86_64.cmake
with_benchmark=false
[ "${1:-}" = "bench" ] && with_benchmark=true
built_by=$(sha1sum "$0" "$toolchain" | sha1sum | cut -c1-12)
stamp=$prefix/.built-by-$built_by
benchmark_stamp=$prefix/.benchmark-built-by-$built_by
if [ -f "$stamp" ] && { ! $with_benchmark || [ -f "$benchmark_stamp" ]; }; then
  echo "$prefix"
  exit 0
fi
scripts/install-deps.sh g++-mingw-w64-x86-64-posix mingw-w64-tools >&2
jobs=${JOBS:-$(nproc)}

# Google Benchmark, static, into the prefix that is already there.
build_benchmark() {
  local tarball src=$deps/windows-build/benchmark-src
  tarball=$(scripts/fetch-debian-source.sh benchmark libbenchmark-dev)
  rm -rf "$src" && mkdir -p "$src"
  tar -xf "$tarball" -C "$src" --strip-components=1
  cmake -S "$src" -B "$deps/windows-build/benchmark" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DBENCHMARK_ENABLE_TESTING=OFF \
    -DBENCHMARK_ENABLE_GTEST_TESTS=OFF -DBENCHMARK_ENABLE_WERROR=OFF -DBENCHMARK_INSTALL_DOCS=OFF \
    -DCMAKE_INSTALL_PREFIX="$prefix" >&2
  ninja -C "$deps/windows-build/benchmark" -j "$jobs" install >&2
  rm -rf "$deps/windows-build"
  touch "$benchmark_stamp"
}
if [ -f "$stamp" ]; then
  build_benchmark
  echo "$prefix"
  exit 0
fi

rm -rf "$prefix" "$deps/windows-build"
mkdir -p "$prefix/include" "$prefix/share/licenses"

# oneTBB, static, without its allocator library (the module uses the
# standard allocator) and without tests and examples.
tarball=$(scripts/fetch-debian-source.sh onetbb libtbb-dev)
src=$deps/windows-build/onetbb-src
mkdir -p "$src"
tar -xf "$tarball" -C "$src" --strip-components=1
cmake -S "$src" -B "$deps/windows-build/onetbb" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DTBB_TEST=OFF -DTBB_EXAMPLES=OFF -DTBBMALLOC_BUILD=OFF \
  -DTBB_STRICT=OFF -DCMAKE_INSTALL_PREFIX="$prefix" >&2
ninja -C "$deps/windows-build/onetbb" -j "$jobs" install >&2
# Built for mingw, the library marks its entry points __declspec(dllexport)
# even as a static library: each object file asks the linker (in its
# .drectve section) to export them from whatever DLL it ends up in. Linked
# into tavorix.p they must stay internal, so those requests are dropped.
x86_64-w64-mingw32-objcopy --remove-section=.drectve "$prefix/lib/libtbb12.a"
cp "$src/LICENSE.txt" "$prefix/share/licenses/oneTBB-LICENSE.txt"
cp "$src/third-party-programs.txt" "$prefix/share/licenses/oneTBB-third-party-programs.txt" 2>/dev/null || true

# GoogleTest (with GoogleMock), static.
cmake -S /usr/src/googletest -B "$deps/windows-build/googletest" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DCMAKE_INSTALL_PREFIX="$prefix" >&2
ninja -C "$deps/windows-build/googletest" -j "$jobs" install >&2

# Header-only libraries: the headers, and a package file that makes the
# target the Linux build gets from the Debian package.
header_package() {
  local package=$1 target=$2 headers=$3
  cp -r "/usr/include/$headers" "$prefix/include/"
  mkdir -p "$prefix/lib/cmake/$package"
  cat >"$prefix/lib/cmake/$package/${package}Config.cmake" <<CONFIG
if(NOT TARGET $target)
  add_library($target INTERFACE IMPORTED)
  set_target_properties($target PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "\${CMAKE_CURRENT_LIST_DIR}/../../../include")
endif()
CONFIG
}
header_package nlohmann_json nlohmann_json::nlohmann_json nlohmann
header_package CLI11 CLI11::CLI11 CLI

rm -rf "$deps/windows-build"
touch "$stamp"
if $with_benchmark; then build_benchmark; fi
echo "$prefix"
