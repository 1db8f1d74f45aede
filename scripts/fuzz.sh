#!/usr/bin/env bash
# The long fuzz run of the parsers (the tests run a short one): builds the fuzzer, makes
# the test prefix if needed and feeds every target ITERATIONS mutated inputs (default
# 200000) from SEED (default 1). Prints each target's figures and the slowest input; inputs
# that crash, throw or take over 100 ms are saved in the test build's fuzz/ folder.
#   ./scripts/fuzz.sh [ITERATIONS] [SEED]
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/test_mode.sh"
iterations=${1:-200000}
seed=${2:-1}
BUILD=$KELVARA_TEST_BUILD_DIR

bash "$ROOT/scripts/build.sh" --target fuzz_parsers import_ca
export HOME="$BUILD/home" WINEDEBUG=-all WINEPREFIX="$BUILD/prefixes/win64"
mkdir -p "$HOME"
KELVARA_WINE=$KELVARA_WINE bash "$ROOT/tests/harness/prepare.sh" "$BUILD" "$BUILD/tests/import_ca.exe" win64
mkdir -p "$BUILD/fuzz"
cd "$BUILD/fuzz"
start=$(date +%s)
status=0
"$KELVARA_WINE" "$BUILD/tests/fuzz_parsers.exe" --seed "$seed" --iterations "$iterations" || status=$?
echo "$(( $(date +%s) - start )) s"
exit "$status"
