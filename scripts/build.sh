#!/usr/bin/env bash
# Installs what is missing, configures the build folder (tests on) and builds; extra
# arguments go to `cmake --build` (for example --target kelvara).
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${KELVARA_BUILD_DIR:-$ROOT/build}

bash "$ROOT/scripts/setup.sh"
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DKELVARA_TESTS=ON >/dev/null
cmake --build "$BUILD" -j2 "$@"
