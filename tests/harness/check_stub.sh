#!/usr/bin/env bash
# check_stub.sh EXE — the product is a download stub: a PE32 GUI program that needs no
# MinGW DLL beside it and stays within its size budget of 512 KB.
set -euo pipefail
exe=$1
headers=$(i686-w64-mingw32-objdump -p "$exe")
size=$(stat -c %s "$exe")
echo "$(basename "$exe"): $size bytes"
grep -q 'Magic.*(PE32)' <<<"$headers" || { echo "not a PE32 image"; exit 1; }
grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || { echo "not a GUI program"; exit 1; }
if grep -i -E 'DLL Name: .*(libstdc|libgcc|winpthread|libz)' <<<"$headers"; then
  echo "depends on a MinGW DLL"; exit 1
fi
[ "$size" -le $((512 * 1024)) ] || { echo "over the 512 KB budget"; exit 1; }
echo "1 passed, 0 failed"
