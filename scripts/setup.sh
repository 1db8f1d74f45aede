#!/usr/bin/env bash
# Installs everything the build and the tests need on Debian 12. Idempotent and quiet:
# a machine that has it all is left alone.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
DEPS="$ROOT/.deps"

PACKAGES=(
  wine wine32:i386 wine64 fonts-wine
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  libz-mingw-w64-dev nlohmann-json3-dev googletest
  cmake ninja-build ccache dpkg-dev curl xz-utils
  xvfb xauth imagemagick openssl python3 iproute2 util-linux
)

SUDO=""
[ "$(id -u)" = 0 ] || SUDO="sudo"

missing_packages() {
  local p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}

# A mirror caught mid-sync can serve an index whose size no longer matches its Release
# file; apt then drops it, and the i386 and amd64 versions of shared libraries drift
# apart so that wine32 cannot be installed. Take such an index as served: every package
# it names is still checked against the hashes it carries.
recover_failed_indexes() {
  local log=$1 url name
  grep -oE 'Failed to fetch http[^ ]*/Packages\.xz' "$log" | sed 's/^Failed to fetch //' | sort -u |
    while read -r url; do
      name=$(printf '%s' "${url%.xz}" | sed -E 's#^https?://##; s#/#_#g')
      curl -fsSL "$url" | xz -dc > "/tmp/$name" && $SUDO mv "/tmp/$name" "/var/lib/apt/lists/$name"
    done
}

apt_update() {
  local log
  log=$(mktemp)
  for _ in 1 2 3; do
    if $SUDO apt-get update -qq >"$log" 2>&1; then rm -f "$log"; return; fi
    sleep 3
  done
  recover_failed_indexes "$log"
  rm -f "$log"
}

missing=($(missing_packages))
if [ "${#missing[@]}" -gt 0 ] || [ ! -f "$DEPS/tinyxml2/tinyxml2.cpp" ]; then
  dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
  # Source packages (tinyxml2) come from the same mirror as the binary ones.
  if ! grep -rqs '^Types: deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    $SUDO tee /etc/apt/sources.list.d/kelvara-src.sources >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  fi
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
