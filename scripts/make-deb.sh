#!/usr/bin/env bash
# Makes OUT_DIR/tavorix_VERSION_ARCH.deb of the programs in a Linux build
# folder that has been built:
#   /usr/bin/tavorix
#   /usr/lib/<multiarch triplet>/tavorix/tavorix.p   Debian's folder for a
#       program's plug-ins, where tavorix looks for the module (relative to
#       its own folder, so that an unpacked package works too)
#   /usr/share/doc/tavorix/   README, docs, copyright, changelog
#   /usr/share/man/man1/tavorix.1.gz   made from `tavorix --help` (help2man)
# Both files are stripped as Debian's own are. The package depends on
# Debian's packages of the shared libraries they use, as dpkg-shlibdeps
# finds them (libtbb12, libsleef3, the C++ runtime), and carries no copy of
# any. lintian must report no error; its warnings are shown.
#
# The maintainer in the control file is TAVORIX_DEB_MAINTAINER when set.
# Prints the path of the package. Nothing is left in OUT_DIR but the
# finished package.
#
# Usage: scripts/make-deb.sh BUILD_DIR OUT_DIR
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: scripts/make-deb.sh BUILD_DIR OUT_DIR" >&2
  exit 2
fi
cd "$(dirname "$0")/.."
root=$PWD
build=$(realpath "$1")
mkdir -p "$2"
out=$(realpath "$2")
fail() {
  echo "make-deb.sh: $*" >&2
  exit 1
}
umask 022

for file in "$build/tavorix" "$build/tavorix.p" "$build/CMakeCache.txt"; do
  [ -f "$file" ] || fail "$build is not a built Linux build folder: no $(basename "$file") there"
done
version=$(sed -n 's/^project(tavorix VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || fail "no project(tavorix VERSION ...) line in CMakeLists.txt"
arch=$(dpkg --print-architecture)
triplet=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
# The program was built to look for the module in this folder; the package
# must put it there, and Debian wants it under this machine's triplet.
module_dir=$(sed -n 's/^TAVORIX_INSTALLED_MODULE_DIR:[A-Z]*=//p' "$build/CMakeCache.txt")
[ "$module_dir" = "lib/$triplet/tavorix" ] ||
  fail "$build looks for an installed module in '$module_dir', expected lib/$triplet/tavorix"
# A build that links libraries from elsewhere than the system's folders (a
# run path that names a folder) is not one to package: the package must use
# Debian's. An empty run path is CMake's room for the archives' $ORIGIN.
for file in "$build/tavorix" "$build/tavorix.p"; do
  if readelf -d "$file" | sed -n 's/.*(R\(UN\)\{0,1\}PATH).*\[\(.*\)\]$/\2/p' | tr ':' '\n' | grep .; then
    fail "$file links libraries from the folders above; package a build that uses the system's libraries"
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# dpkg-shlibdeps and dpkg-gencontrol work in a source tree's debian/.
debian=$work/debian
package=$debian/tavorix
doc=$package/usr/share/doc/tavorix
mkdir -p "$package/DEBIAN" "$doc" "$package/usr/share/man/man1"

install -D -m 0755 "$build/tavorix" "$package/usr/bin/tavorix"
install -D -m 0644 "$build/tavorix.p" "$package/usr/$module_dir/tavorix.p"
# No run path in the package: its files use the system's libraries alone,
# and older dynamic loaders read the build's empty entries as the current
# folder.
printf 'file(RPATH_REMOVE FILE "${file}")\n' >"$work/remove-run-path.cmake"
for file in "$package/usr/bin/tavorix" "$package/usr/$module_dir/tavorix.p"; do
  cmake -Dfile="$file" -P "$work/remove-run-path.cmake" >/dev/null
done
# As dh_strip does: the symbols of an executable, those of a shared object
# that nothing links against, and the build's notes.
strip --remove-section=.comment --remove-section=.note "$package/usr/bin/tavorix"
strip --remove-section=.comment --remove-section=.note --strip-unneeded "$package/usr/$module_dir/tavorix.p"

# Dates from the last commit, so that the same sources make the same package.
if epoch=$(git log -1 --format=%ct 2>/dev/null) && [ -n "$epoch" ]; then
  export SOURCE_DATE_EPOCH=$epoch
else
  export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(date +%s)}
fi
maintainer=${TAVORIX_DEB_MAINTAINER:-"Tavorix maintainers <maintainers@tavorix.invalid>"}

# The changelog of a package that is its own upstream: one entry per version.
cat >"$debian/changelog" <<EOF
tavorix ($version) stable; urgency=medium

  * tavorix $version.

 -- $maintainer  $(date -R -u -d "@$SOURCE_DATE_EPOCH")
EOF
gzip -9n -c "$debian/changelog" >"$doc/changelog.gz"

# The copyright file: ours, then those of the libraries compiled in.
{
  cat packaging/deb/copyright.in
  for dev in libcli11-dev nlohmann-json3-dev; do
    [ -f "/usr/share/doc/$dev/copyright" ] || fail "no /usr/share/doc/$dev/copyright (scripts/install-deps.sh)"
    printf '\n%s\nFrom /usr/share/doc/%s/copyright:\n\n' "----------------------------------------------------------------------" "$dev"
    cat "/usr/share/doc/$dev/copyright"
  done
} >"$doc/copyright"

# The docs, those over 4 kB compressed as Debian's policy asks.
for file in README.md docs/cli.md docs/scene-format.md docs/install-in-layout.md; do
  name=$(basename "$file")
  if [ "$(stat -c %s "$file")" -gt 4096 ]; then
    gzip -9n -c "$file" >"$doc/$name.gz"
  else
    install -m 0644 "$file" "$doc/$name"
  fi
done

# The manual page, from the program's own --help.
sed "s|@MODULE_PATH@|/usr/$module_dir/tavorix.p|" packaging/deb/tavorix.h2m >"$work/tavorix.h2m"
help2man --no-info --version-string="$version" --include="$work/tavorix.h2m" \
  --output="$work/tavorix.1" "$build/tavorix"
gzip -9n -c "$work/tavorix.1" >"$package/usr/share/man/man1/tavorix.1.gz"

# The control file: the dependencies from the binaries, the size from the tree.
sed "s|@MAINTAINER@|$maintainer|" packaging/deb/control.in >"$debian/control"
(
  cd "$work"
  dpkg-shlibdeps "-T$debian/substvars" "$package/usr/bin/tavorix" "$package/usr/$module_dir/tavorix.p"
  dpkg-gencontrol -ptavorix "-P$package" "-T$debian/substvars" -f"$debian/files"
)
(cd "$package" && find usr -type f -print0 | sort -z | xargs -0 md5sum) >"$package/DEBIAN/md5sums"
chmod 0644 "$package/DEBIAN/control" "$package/DEBIAN/md5sums"

name=tavorix_${version}_$arch.deb
dpkg-deb --root-owner-group -Zxz --build "$package" "$work/$name" >/dev/null
# Nothing of Debian's libraries may come along.
if dpkg-deb -c "$work/$name" | grep -E '\.so(\.[0-9]+)*$'; then
  fail "$name carries a copy of a shared library"
fi
lintian --fail-on error "$work/$name" >&2 ||
  fail "lintian found errors in $name"
# Into OUT_DIR in one step, as a whole.
cp "$work/$name" "$out/.$name.partial"
mv -f "$out/.$name.partial" "$out/$name"
echo "$out/$name"
