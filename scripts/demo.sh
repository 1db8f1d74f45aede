#!/usr/bin/env bash
# Runs the installer (the product build) against the bundled demo back end, on the user's
# display when there is one, otherwise on a virtual display, saving a screenshot.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/test_mode.sh"
if [ "$KELVARA_TEST_MODE" = 64 ]; then
  echo "This machine cannot start 32-bit programs: the demo runs the x86_64 build of the product."
fi

bash "$ROOT/scripts/build.sh" --target kelvara import_ca test_installer kelvara_driver

# The demo back end answers on port 443 of a private loopback, shared with the wizard only.
exec unshare --net --fork -- bash "$ROOT/scripts/demo_sandboxed.sh"
