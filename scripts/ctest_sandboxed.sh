#!/usr/bin/env bash
# Inside the test network namespace: loopback up, a virtual display, then CTest.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${KELVARA_BUILD_DIR:-$ROOT/build}

ip link set lo up
export KELVARA_FORCE_XVFB=1
source "$ROOT/scripts/display.sh"
stop_wineservers "$BUILD"
start_display "$BUILD"
trap stop_display EXIT

cd "$BUILD"
ctest --output-on-failure -j2 "$@"
