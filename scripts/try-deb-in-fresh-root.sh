#!/usr/bin/env bash
# Installs a tavorix .deb into a fresh, minimal Debian system of this
# machine's release (mmdebstrap, variant "apt": the essential packages and
# apt, nothing else) and runs it there: `apt install ./tavorix_...deb` pulls
# in what the package depends on from Debian's archive, then `tavorix
# --version`, `tavorix demo` and `tavorix check` run without --module. The
# packages come from the archives this machine's apt already uses (its
# sources and its Acquire settings). Needs root; takes a few minutes, so CI
# does not run it.
#
# Usage: scripts/try-deb-in-fresh-root.sh [dist/tavorix_VERSION_ARCH.deb]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
if [ $# -gt 1 ]; then
  echo "usage: scripts/try-deb-in-fresh-root.sh [PACKAGE.deb]" >&2
  exit 2
fi
if [ $# -eq 1 ]; then
  deb=$(realpath "$1")
else
  version=$(sed -n 's/^project(tavorix VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
  deb=$root/dist/tavorix_${version}_$(dpkg --print-architecture).deb
fi
[ -f "$deb" ] || {
  echo "try-deb-in-fresh-root.sh: no package at $deb (scripts/package.sh makes it)" >&2
  exit 2
}
[ "$(id -u)" -eq 0 ] || {
  echo "try-deb-in-fresh-root.sh: needs root (chroot)" >&2
  exit 2
}
command -v mmdebstrap >/dev/null || {
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y mmdebstrap
}

suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 0755 "$work"  # apt's own user downloads into the new root

# The binary archives apt knows here, one sources line per archive and suite.
apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' 'Created-By: Packages' |
  awk '{ key = $1 " " $2; if (!(key in parts)) order[n++] = key; parts[key] = parts[key] " " $3 }
       END { for (i = 0; i < n; i++) print "deb " order[i] parts[order[i]] }' |
  sort -u >"$work/sources.list"
[ -s "$work/sources.list" ] || {
  echo "try-deb-in-fresh-root.sh: apt knows no archive here (apt-get update first)" >&2
  exit 1
}
# How apt reaches them here: proxies, and the checks of a mirror's dates.
apt-config dump | grep -E '^Acquire::(Check-Valid-Until|Check-Date|[a-z]+::Proxy)' >"$work/apt.conf" || true

echo "== sources of the fresh root:" >&2
cat "$work/sources.list" >&2
cp "$deb" "$work/"
name=$(basename "$deb")
scene=$root/tests/data/scenes/M02.seq_takeoff_02.lws

# Everything after the bootstrap runs inside the new system, as a user of it
# would run it.
mmdebstrap --variant=apt --aptopt="$work/apt.conf" \
  --customize-hook="copy-in '$work/$name' '$scene' /root" \
  --customize-hook='chroot "$1" sh -exc "cd /root && apt-get update -q && apt install -y ./'"$name"'"' \
  --customize-hook='chroot "$1" sh -exc "apt-cache policy tavorix; dpkg -s tavorix | grep -E \"^(Version|Depends)\""' \
  --customize-hook='chroot "$1" sh -exc "cd /root && tavorix --version && tavorix demo -o demo.svg && ls -l demo.svg"' \
  --customize-hook='chroot "$1" sh -xc "cd /root && tavorix check M02.seq_takeoff_02.lws; test \$? -eq 1"' \
  --customize-hook='chroot "$1" sh -exc "ls -l /usr/share/man/man1/tavorix.1.gz /usr/share/doc/tavorix"' \
  "$suite" "$work/fresh-root" "$work/sources.list"
echo "== $name installed and ran in a fresh $suite root" >&2
