# Sourced by the run and test scripts: a virtual X display and the tests' home folders.

start_display() {
  local build=$1
  export HOME="$build/home" XDG_CONFIG_HOME="$build/home/.config" XDG_DATA_HOME="$build/home/.local/share"
  export XDG_CACHE_HOME="$build/home/.cache" WINEDEBUG=-all
  mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
  KELVARA_XVFB_PID=""
  if [ -n "${DISPLAY:-}" ] && [ -z "${KELVARA_FORCE_XVFB:-}" ]; then return; fi
  local n
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    KELVARA_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && return; sleep 0.1; done
    break
  done
  echo "Xvfb did not start" >&2
  return 1
}

# Wine opens sockets in its wineserver: one left from an earlier run lives in another
# network namespace, where this namespace's loopback server cannot be reached.
stop_wineservers() {
  local prefix
  for prefix in "$1"/prefixes/*/; do
    [ -d "$prefix" ] && WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  done
}

stop_display() {
  stop_wineservers "$BUILD"
  [ -n "${KELVARA_XVFB_PID:-}" ] && kill "$KELVARA_XVFB_PID" 2>/dev/null || true
}
