#!/usr/bin/env bash
# Sourced by .ci/run from the root of the clone: sends every compile of the
# CI run through ccache, whose cache lives outside the clone, so that a run
# in a fresh clone reuses the objects of every source the last runs compiled
# unchanged. ccache hashes the compiler, its flags and the preprocessed
# input, so a reused object is the one the compiler would make; no sloppiness
# is allowed.
#   CCACHE_DIR   the cache (default ~/.cache/tavorix-ci-ccache), kept to 8 GB
scripts/install-deps.sh ccache
export CCACHE_DIR=${CCACHE_DIR:-~/.cache/tavorix-ci-ccache}
# CI clones into a new folder each time. Paths under the clone are hashed
# relative to the compiler's working folder, and that folder itself, which
# debug information would otherwise bring into the hash, is left out; the
# objects then hold the folder of the run that made them in their debug
# information, which only a debugger reads.
CCACHE_BASEDIR=$(pwd -P)
export CCACHE_BASEDIR
export CCACHE_NOHASHDIR=true
# CMake takes these as the launchers of every new build folder: the project's
# own builds, the clang fuzz build, the mingw-w64 cross build (whose
# toolchain file names the compilers) and the dependencies built from source.
export CMAKE_C_COMPILER_LAUNCHER=ccache
export CMAKE_CXX_COMPILER_LAUNCHER=ccache
mkdir -p "$CCACHE_DIR"
ccache --max-size 8G >/dev/null
# This run's hits and misses, apart from those of any other run using the
# cache at the same time (`ccache --show-log-stats` reads them).
mkdir -p build-ccache
export CCACHE_STATSLOG=$PWD/build-ccache/stats.log
rm -f "$CCACHE_STATSLOG"
