#!/usr/bin/env bash
# Inside the test network namespace: loopback up, a virtual display, then CTest.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/test_mode.sh"
BUILD=$KELVARA_TEST_BUILD_DIR

ip link set lo up
export KELVARA_FORCE_XVFB=1
source "$ROOT/scripts/display.sh"
stop_wineservers "$BUILD"
start_display "$BUILD"
trap stop_display EXIT

cd "$BUILD"
describe_test_mode
ctest --output-on-failure -j2 "$@"
