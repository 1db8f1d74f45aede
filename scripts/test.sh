#!/usr/bin/env bash
# Runs every test: installs what is missing, builds the three variants and the test
# programs, then runs CTest inside a private network namespace (so the test back end owns
# port 443 of its own loopback) with a virtual display. Extra arguments go to CTest.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/test_mode.sh"
describe_test_mode

bash "$ROOT/scripts/build.sh"

size=$(stat -c %s "$KELVARA_BUILD_DIR/KelvaraSetup.exe")
echo "KelvaraSetup.exe: $size bytes ($((size / 1024)) KB of the 512 KB budget)"
python3 "$ROOT/tests/harness/size_report.py" "$KELVARA_BUILD_DIR/KelvaraSetup.map"

exec unshare --net --fork -- bash "$ROOT/scripts/ctest_sandboxed.sh" "$@"
