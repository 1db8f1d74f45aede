#!/usr/bin/env bash
# Sourced by the build, test and demo scripts: decides once whether this machine can start
# 32-bit Linux programs (Wine's 32-bit loader needs that) and sets the test mode.
#   KELVARA_TEST_MODE  32: i686 programs in the 64-bit (WOW64) and 32-bit prefixes
#                      64: x86_64 builds of the test programs and variants, 64-bit prefix only
# Set KELVARA_TEST_MODE=64 beforehand to force 64-bit mode on a machine that could run 32-bit.
#   KELVARA_WINE       the loader that starts the test programs
#   KELVARA_BUILD_DIR  the i686 build, the shipped program (default build/)
#   KELVARA_TEST_BUILD_DIR  the build whose test programs run: the same folder in 32-bit
#                      mode, KELVARA_BUILD_DIR-x64 in 64-bit mode

can_run_32bit() {
  # A minimal i386 ELF program that calls exit(0); the kernel refuses it with "Exec
  # format error" where 32-bit emulation is off.
  local probe
  probe=$(mktemp)
  python3 - "$probe" <<'PY'
import struct, sys
code = bytes([0x31, 0xDB, 0xB8, 1, 0, 0, 0, 0xCD, 0x80])  # xor ebx,ebx; mov eax,1; int 0x80
base = 0x08048000
header = struct.pack("<16sHHIIIIIHHHHHH", b"\x7fELF\x01\x01\x01" + b"\0" * 9, 2, 3, 1,
                     base + 84, 52, 0, 0, 52, 32, 1, 0, 0, 0)
segment = struct.pack("<IIIIIIII", 1, 0, base, base, 84 + len(code), 84 + len(code), 5, 0x1000)
open(sys.argv[1], "wb").write(header + segment + code)
PY
  chmod +x "$probe"
  local rc=0
  "$probe" 2>/dev/null || rc=$?
  rm -f "$probe"
  return "$rc"
}

if [ -z "${KELVARA_TEST_MODE:-}" ]; then
  if can_run_32bit; then KELVARA_TEST_MODE=32; else KELVARA_TEST_MODE=64; fi
fi
case "$KELVARA_TEST_MODE" in
  32) KELVARA_WINE=wine ;;
  # Debian's wrapper would take the 32-bit loader whenever wine32 is installed.
  64) KELVARA_WINE=/usr/lib/wine/wine64 ;;
  *) echo "KELVARA_TEST_MODE must be 32 or 64, not '$KELVARA_TEST_MODE'" >&2; exit 2 ;;
esac
export KELVARA_TEST_MODE KELVARA_WINE
KELVARA_BUILD_DIR=${KELVARA_BUILD_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}
if [ "$KELVARA_TEST_MODE" = 32 ]; then
  KELVARA_TEST_BUILD_DIR=$KELVARA_BUILD_DIR
else
  KELVARA_TEST_BUILD_DIR=$KELVARA_BUILD_DIR-x64
fi
export KELVARA_BUILD_DIR KELVARA_TEST_BUILD_DIR

# One line that names the mode, for the scripts' output.
describe_test_mode() {
  if [ "$KELVARA_TEST_MODE" = 32 ]; then
    echo "Test mode: 32-bit (the i686 programs in the 64-bit and the 32-bit Wine prefix)"
  else
    echo "Test mode: 64-bit (x86_64 builds in the 64-bit Wine prefix; tests that need a 32-bit process are skipped)"
  fi
}
