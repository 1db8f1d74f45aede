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
rm -f "$BUILD/demo/installers.jsonl" "$WINEPREFIX"/drive_c/users/*/Downloads/TovantaNotesSetup.exe

python3 -u "$ROOT/tests/backend/server.py" --scenario "$ROOT/tests/backend/demo/scenario.json" \
  --files "$files" --log "$BUILD/demo/requests.jsonl" --cert "$BUILD/certs/localhost.pem" \
  --key "$BUILD/certs/localhost.key" > "$BUILD/demo/server.out" &
server_pid=$!
for _ in $(seq 100); do grep -q ready "$BUILD/demo/server.out" 2>/dev/null && break; sleep 0.1; done

if [ -n "${KELVARA_XVFB_PID:-}" ]; then
  # No display of the user's: walk through the wizard as a user would, photographing each
  # page: the language page, the loading page, the welcome page, every offer (the first is
  # accepted, the others declined), the download page and the finish page.
  drive() { "$wine" "$BUILD/tests/kelvara_driver.exe" "$@"; }
  shots="$BUILD/screenshots"
  mkdir -p "$shots"
  shoot() { sleep 0.5; import -window root "$shots/demo_$1.png"; }
  "$wine" "$BUILD/KelvaraSetup.exe" &
  wizard=$!
  drive wait Setup 20000 >/dev/null
  shoot 1_language
  drive click Setup 1010 >/dev/null  # Next: event 1, then the configuration request
  shoot 2_loading
  title="Tovanta Notes Setup"        # the product's own title once the configuration is in
  drive wait "$title" 30000 >/dev/null
  for _ in $(seq 50); do drive text "$title" 1017 >/dev/null 2>&1 && break; sleep 0.2; done
  shoot 3_welcome
  drive click "$title" 1010 >/dev/null
  page=0 last="" downloading=""
  for _ in $(seq 200); do
    drive text "$title" 1028 >/dev/null 2>&1 && break  # the finish page
    if [ -z "$downloading" ] && drive text "$title" 1025 >/dev/null 2>&1; then
      downloading=1
      shoot 5_download                                  # the product arrives slowly
    fi
    if [ -n "$downloading" ]; then sleep 0.2; continue; fi
    text=$(drive text "$title" 1042 2>/dev/null || true)
    if [ -z "$text" ] || [ "$text" = "$last" ]; then sleep 0.2; continue; fi
    last=$text page=$((page + 1))
    shoot "4_offer_$page"
    if [ "$page" = 1 ]; then button=1021; else button=1022; fi  # Accept the first, decline the rest
    drive click "$title" "$button" >/dev/null
  done
  shoot 6_finish
  echo "The wizard ran on a virtual display and showed $page offers; screenshots: $shots/demo_*.png"
  echo "Downloaded product: $(ls "$WINEPREFIX"/drive_c/users/*/Downloads/TovantaNotesSetup.exe)"
  echo "Installers started (each line one start, with its command line):"
  cat "$BUILD/demo/installers.jsonl" 2>/dev/null || echo "none"
  drive syscommand "$title" 0xF060 >/dev/null || true
  wait "$wizard" || true
else
  "$wine" "$BUILD/KelvaraSetup.exe" || true
fi
echo "Requests the back end received: $BUILD/demo/requests.jsonl"
