#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing.
# Usage: scripts/install-deps.sh [extra packages...]
set -euo pipefail
packages=(build-essential cmake ninja-build pkg-config libtbb-dev libgtest-dev libgmock-dev libbenchmark-dev libsleef-dev
  nlohmann-json3-dev libcli11-dev libimath-dev librsvg2-bin python3 python3-jsonschema "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "${missing[@]}"
fi
