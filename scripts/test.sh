#!/usr/bin/env bash
# Runs every test: installs what is missing, builds the three variants and the test
# programs, prepares the Wine prefixes and a virtual display, and runs CTest.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${KELVARA_BUILD_DIR:-$ROOT/build}

bash "$ROOT/scripts/setup.sh"
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DKELVARA_TESTS=ON >/dev/null
cmake --build "$BUILD" -j2

size=$(stat -c %s "$BUILD/KelvaraSetup.exe")
echo "KelvaraSetup.exe: $size bytes ($((size / 1024)) KB of the 512 KB budget)"

source "$ROOT/scripts/display.sh"
start_display "$BUILD"
trap 'stop_display' EXIT

cd "$BUILD"
ctest --output-on-failure -j2 "$@"
