#!/usr/bin/env bash
# Installs what is missing, configures the build folders (tests on) and builds; extra
# arguments go to `cmake --build` of the tests' build (for example --target kelvara).
# 32-bit mode: one i686 build. 64-bit mode: the i686 product, and everything for x86_64.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/test_mode.sh"

bash "$ROOT/scripts/setup.sh"

# Paths relative to the checkout in ccache's keys: another clone or worktree of the same
# sources reuses the objects.
export CCACHE_BASEDIR="$ROOT"

configure() {
  local dir=$1 arch=$2
  shift 2
  # CMake keeps the compiler it found first; a folder configured with another compiler
  # than the toolchain file names now (another thread model) starts afresh.
  local compiler
  compiler=$(sed -n 's/^set(CMAKE_CXX_COMPILER \(.*\))$/\1/p' "$ROOT/cmake/mingw-$arch.cmake")
  if compgen -G "$dir/CMakeFiles/*/CMakeCXXCompiler.cmake" >/dev/null &&
     ! grep -qs "^set(CMAKE_CXX_COMPILER \"\(.*/\)\?$compiler\")" "$dir"/CMakeFiles/*/CMakeCXXCompiler.cmake; then
    rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
  fi
  cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$arch.cmake" \
        -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
}

if [ "$KELVARA_TEST_MODE" = 32 ]; then
  configure "$KELVARA_BUILD_DIR" i686 -DKELVARA_TESTS=ON
else
  configure "$KELVARA_BUILD_DIR" i686 -DKELVARA_TESTS=OFF
  cmake --build "$KELVARA_BUILD_DIR" -j2 --target kelvara
  configure "$KELVARA_TEST_BUILD_DIR" x86_64 -DKELVARA_TESTS=ON \
            -DKELVARA_STUB_PRODUCT="$KELVARA_BUILD_DIR/KelvaraSetup.exe"
fi
cmake --build "$KELVARA_TEST_BUILD_DIR" -j2 "$@"
