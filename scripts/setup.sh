#!/usr/bin/env bash
# Installs everything the build and the tests need on Debian 12. Idempotent and quiet:
# a machine that has it all is left alone.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
DEPS="$ROOT/.deps"
source "$ROOT/scripts/test_mode.sh"

PACKAGES=(
  wine wine64 fonts-wine
  g++-mingw-w64-i686-win32 binutils-mingw-w64-i686 mingw-w64-i686-dev
  libz-mingw-w64-dev nlohmann-json3-dev googletest
  cmake ninja-build ccache dpkg-dev xz-utils curl clang-format
  xvfb xauth imagemagick openssl python3 iproute2 util-linux nginx-light
)
if [ "$KELVARA_TEST_MODE" = 32 ]; then
  PACKAGES+=(wine32:i386)
else
  # The test programs and variants are built for x86_64 as well.
  PACKAGES+=(g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev)
fi

SUDO=""
[ "$(id -u)" = 0 ] || SUDO="sudo"
CODENAME=$(. /etc/os-release && echo "$VERSION_CODENAME")
SRC_LIST=/etc/apt/sources.list.d/kelvara-src.sources

missing_packages() {
  local p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}

# deb-src entries for the release's own suites, copied from the machine's configured deb
# entries (their URIs, suites and keys), so source packages come from the same archive.
derive_source_entries() {
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && [ "$f" != "$SRC_LIST" ] || continue
    awk -v codename="$CODENAME" '
      function flush() {
        if (types ~ /(^| )deb( |$)/ && (" " suites " ") ~ (" " codename " ")) {
          print "Types: deb-src"; print "URIs: " uris; print "Suites: " suites
          print "Components: " comps; if (key != "") print "Signed-By: " key; print ""
        }
        types = uris = suites = comps = key = ""
      }
      /^[ \t]*$/ { flush(); next }
      /^#/ { next }
      { name = $1; sub(/:$/, "", name); $1 = ""; sub(/^ /, "") }
      name == "Types" { types = $0 } name == "URIs" { uris = $0 } name == "Suites" { suites = $0 }
      name == "Components" { comps = $0 } name == "Signed-By" { key = $0 }
      END { flush() }' "$f"
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    awk -v codename="$CODENAME" '$1 == "deb" && $0 ~ (" " codename " ") { $1 = "deb-src"; print }' "$f"
  done
}

has_source_entries() {
  grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ || grep -rqs '^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/
}

add_source_entries() {
  has_source_entries && return
  local entries
  entries=$(derive_source_entries)
  if [ -z "$entries" ]; then
    echo "setup: no configured Debian '$CODENAME' source to take a deb-src entry from" >&2
    exit 1
  fi
  if grep -q '^Types:' <<<"$entries"; then
    printf '%s\n' "$entries" | $SUDO tee "$SRC_LIST" >/dev/null
  else
    printf '%s\n' "$entries" | $SUDO tee "${SRC_LIST%.sources}.list" >/dev/null
  fi
}

# A mirror caught mid-sync can serve an index that does not match its signed Release file;
# apt then refuses it. Retry, the later tries fetching every index by the hash that the
# signed Release file lists, so that only verified indexes are ever used.
apt_update() {
  local log attempt
  log=$(mktemp)
  for attempt in 1 2 3 4; do
    local opts=()
    [ "$attempt" -gt 1 ] && opts=(-o Acquire::By-Hash=force)
    if $SUDO apt-get update -qq "${opts[@]}" >"$log" 2>&1 && ! grep -q '^[WE]: Failed to fetch' "$log"; then
      rm -f "$log"
      return
    fi
    sleep $((attempt * 5))
  done
  echo "setup: apt-get update kept failing; going on with the indexes apt verified:" >&2
  grep -E '^[WE]:' "$log" >&2 || true
  rm -f "$log"
}

missing=($(missing_packages))
if [ "${#missing[@]}" -gt 0 ] || [ ! -f "$DEPS/tinyxml2/tinyxml2.cpp" ]; then
  if [ "$KELVARA_TEST_MODE" = 32 ]; then
    dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
  fi
  add_source_entries
  apt_update
fi

if [ "${#missing[@]}" -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# tinyxml2 has no MinGW build in Debian: the build compiles its source package.
if [ ! -f "$DEPS/tinyxml2/tinyxml2.cpp" ]; then
  rm -rf "$DEPS/src" && mkdir -p "$DEPS/src"
  (cd "$DEPS/src" && apt-get source -qq tinyxml2 >/dev/null 2>&1)
  rm -rf "$DEPS/tinyxml2" && mv "$DEPS/src"/tinyxml2-*/ "$DEPS/tinyxml2" && rm -rf "$DEPS/src"
fi
