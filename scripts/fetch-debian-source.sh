#!/usr/bin/env bash
# Downloads a Debian source package into build-deps/ and prints the path of
# its original tarball:
#   scripts/fetch-debian-source.sh SOURCE_PACKAGE [BINARY_PACKAGE]
# With BINARY_PACKAGE installed, the source of that installed version (so a
# library built from source matches the one the Linux build links); else the
# newest the mirror has. Source packages come from the mirrors this machine's
# apt is already configured with: where no deb-src entry exists, one is
# derived from the machine's own deb entries (same mirror, suites and keys).
set -euo pipefail
cd "$(dirname "$0")/.."
source_package=${1:?source package}
binary_package=${2:-}
deps=$PWD/build-deps
mkdir -p "$deps"

found=$(ls "$deps/${source_package}"_*.orig.tar.* 2>/dev/null | head -n 1 || true)
if [ -n "$found" ]; then
  echo "$found"
  exit 0
fi

# deb-src lines for every enabled deb entry, in one-line format.
derive_source_entries() {
  local file
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$file" ] || continue
    sed -n 's/^[[:space:]]*deb[[:space:]]\+/deb-src /p' "$file"
  done
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    awk '
      function flush() {
        if (types ~ /(^| )deb( |$)/ && enabled != "no" && uris != "" && suites != "") {
          n = split(uris, u, " "); m = split(suites, s, " ")
          for (i = 1; i <= n; i++) for (j = 1; j <= m; j++)
            printf "deb-src %s%s %s %s\n", (key != "" ? "[signed-by=" key "] " : ""), u[i], s[j], components
        }
        types = uris = suites = components = key = enabled = ""
      }
      /^[[:space:]]*#/ { next }
      /^[[:space:]]*$/ { flush(); next }
      {
        field = tolower($1); sub(/:$/, "", field); $1 = ""; sub(/^[[:space:]]+/, "")
        if (field == "types") types = $0
        else if (field == "uris") uris = $0
        else if (field == "suites") suites = $0
        else if (field == "components") components = $0
        else if (field == "signed-by") key = $0
        else if (field == "enabled") enabled = tolower($0)
      }
      END { flush() }' "$file"
  done
}

if ! grep -rqs '^[[:space:]]*deb-src\|^Types:.*deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  entries=$(derive_source_entries)
  if [ -z "$entries" ]; then
    echo "fetch-debian-source: apt has no deb entry to derive a source entry from" >&2
    exit 1
  fi
  echo "$entries" > /etc/apt/sources.list.d/tavorix-deb-src.list
  apt-get update >&2
fi
version=""
[ -n "$binary_package" ] && version=$(dpkg-query -W -f='${source:Version}' "$binary_package" 2>/dev/null || true)
(cd "$deps" && apt-get source --download-only "${source_package}${version:+=$version}" >&2)
ls "$deps/${source_package}"_*.orig.tar.* | head -n 1
