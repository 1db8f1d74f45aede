#!/usr/bin/env bash
# Inside the demo's network namespace: back end, Wine prefix, display, then the wizard.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/test_mode.sh"
BUILD=$KELVARA_TEST_BUILD_DIR
wine=$KELVARA_WINE

ip link set lo up
source "$ROOT/scripts/display.sh"
stop_wineservers "$BUILD"
start_display "$BUILD"
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  stop_display
}
trap cleanup EXIT

bash "$ROOT/tests/harness/prepare.sh" "$BUILD" "$BUILD/tests/import_ca.exe" win64
export WINEPREFIX="$BUILD/prefixes/win64"

# The demo's files: its pictures plus the test installer under every name it offers.
files="$BUILD/demo/files"
rm -rf "$files" && mkdir -p "$files"
cp "$ROOT"/tests/backend/demo/files/* "$files/"
python3 -c 'import json,sys; print("\n".join(json.load(open(sys.argv[1]))["test_installers"]))' \
  "$ROOT/tests/backend/demo/scenario.json" | while read -r name; do
  cp "$BUILD/tests/test_installer.exe" "$files/$name"
done
export KELVARA_INSTALLER_LOG="Z:$(printf %s "$BUILD/demo/installers.jsonl" | tr / '\\')"

python3 -u "$ROOT/tests/backend/server.py" --scenario "$ROOT/tests/backend/demo/scenario.json" \
  --files "$files" --log "$BUILD/demo/requests.jsonl" --cert "$BUILD/certs/localhost.pem" \
  --key "$BUILD/certs/localhost.key" > "$BUILD/demo/server.out" &
server_pid=$!
for _ in $(seq 100); do grep -q ready "$BUILD/demo/server.out" 2>/dev/null && break; sleep 0.1; done

if [ -n "${KELVARA_XVFB_PID:-}" ]; then
  # No display of the user's: run the wizard, photograph it, close it.
  "$wine" "$BUILD/KelvaraSetup.exe" &
  wizard=$!
  "$wine" "$BUILD/tests/kelvara_driver.exe" wait Setup 20000 >/dev/null
  sleep 1
  mkdir -p "$BUILD/screenshots"
  import -window root "$BUILD/screenshots/demo.png"
  # Next: the main product's first event goes to the back end, the loading page shows.
  "$wine" "$BUILD/tests/kelvara_driver.exe" click Setup 1010 >/dev/null
  sleep 2
  import -window root "$BUILD/screenshots/demo_next.png"
  echo "The wizard ran on a virtual display; screenshots: $BUILD/screenshots/demo.png, demo_next.png"
  "$wine" "$BUILD/tests/kelvara_driver.exe" syscommand Setup 0xF060 >/dev/null || true
  "$wine" "$BUILD/tests/kelvara_driver.exe" answer 1 3000 >/dev/null 2>&1 || true
  wait "$wizard" || true
else
  "$wine" "$BUILD/KelvaraSetup.exe" || true
fi
echo "Requests the back end received: $BUILD/demo/requests.jsonl"
