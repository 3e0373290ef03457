#!/usr/bin/env bash
# Builds the release packages into dist/:
#   tavorix-VERSION-linux-x86_64.tar.gz   tavorix, tavorix.p (Linux), the task library beside it
#   tavorix-VERSION-windows-x64.zip       tavorix.exe, tavorix.p (Windows x64, self-contained)
#   tavorix_VERSION_amd64.deb             the Linux programs installed as Debian's own are,
#                                         on Debian's libraries (scripts/make-deb.sh)
# the archives with the docs and THIRD-PARTY-NOTICES. Release builds without tests
# in build-package-linux/ and build-package-windows/, or, given two build
# folders already built (the Linux one, then the Windows one), the programs
# of those: CI packages the very builds it has just tested. Then each archive
# is unpacked into an empty folder and its `tavorix demo` run from there
# (the Windows one under Wine); the Debian package is unpacked too, and its
# tavorix finds its module without --module.
#
# Usage: scripts/package.sh [LINUX_BUILD WINDOWS_BUILD]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
dist=$root/dist
mkdir -p "$dist"
scripts/install-deps.sh zip unzip g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 \
  dpkg-dev help2man lintian >&2

if [ $# -eq 2 ]; then
  linux_build=$(realpath "$1")
  windows_build=$(realpath "$2")
elif [ $# -eq 0 ]; then
  linux_build=$root/build-package-linux
  windows_build=$root/build-package-windows
  BUILD_DIR=$linux_build BUILD_TYPE=Release scripts/build.sh -DTAVORIX_TESTS=OFF -DTAVORIX_BENCH=OFF
  BUILD_DIR=$windows_build BUILD_TYPE=Release scripts/build-windows.sh -DTAVORIX_TESTS=OFF
else
  echo "usage: scripts/package.sh [LINUX_BUILD WINDOWS_BUILD]" >&2
  exit 2
fi
(cd "$linux_build" && cpack -B "$dist" -G TGZ >/dev/null)
(cd "$windows_build" && cpack -B "$dist" -G ZIP >/dev/null)
rm -rf "$dist/_CPack_Packages"

version=$(sed -n 's/^project(tavorix VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
linux_package=$dist/tavorix-$version-linux-x86_64.tar.gz
windows_package=$dist/tavorix-$version-windows-x64.zip

# Each package on its own: unpacked into an empty folder, its demo runs.
check=$(mktemp -d)
trap 'scripts/wine-run.sh "$check/wine-prefix" --stop; rm -rf "$check"' EXIT
tar -xzf "$linux_package" -C "$check"
(
  cd "$check/tavorix-$version-linux-x86_64"
  # The module finds the task library that came with it.
  ldd tavorix.p | grep libtbb
  ./tavorix --version
  ./tavorix demo -o demo.svg
) >&2
unzip -q "$windows_package" -d "$check"
(cd "$check/tavorix-$version-windows-x64" &&
  "$root/scripts/wine-run.sh" "$check/wine-prefix" tavorix.exe --version &&
  "$root/scripts/wine-run.sh" "$check/wine-prefix" tavorix.exe demo -o demo.svg) >&2
deb_package=$(scripts/make-deb.sh "$linux_build" "$dist")
# The Debian package unpacked as it is into an empty folder: the program
# finds the module in the package's plug-in folder, relative to itself, and
# the module loads Debian's libraries.
mkdir "$check/deb"
dpkg-deb -x "$deb_package" "$check/deb"
cp tests/data/scenes/M02.seq_takeoff_02.lws "$check/deb/"
(
  cd "$check/deb"
  unset TAVORIX_MODULE
  module=$(find usr/lib -name tavorix.p)
  usr/bin/tavorix --version | tee "$check/deb-version"
  grep -qxF "module: $(pwd -P)/$module" "$check/deb-version" ||
    { echo "package.sh: the unpacked tavorix did not find $module" >&2; exit 1; }
  ldd "$module" | grep -E 'libtbb|libsleef|not found'
  if ldd "$module" usr/bin/tavorix | grep 'not found'; then exit 1; fi
  usr/bin/tavorix demo -o demo.svg
  status=0
  usr/bin/tavorix check M02.seq_takeoff_02.lws || status=$?
  [ "$status" -eq 1 ] || { echo "package.sh: tavorix check found no flip (exit $status)" >&2; exit 1; }
) >&2
for package in "$linux_package" "$windows_package" "$deb_package"; do
  [ -s "$package" ] || { echo "package.sh: $package was not made" >&2; exit 1; }
done
echo "$linux_package"
echo "$windows_package"
echo "$deb_package"
