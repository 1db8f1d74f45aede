#!/usr/bin/env bash
# check_stub.sh EXE — the product is a download stub: a PE32 (i386) GUI program that needs
# no MinGW DLL beside it, stays within its size budget of 512 KB and carries its version.
# Prints its size and its ten largest contributors, from the link map beside it.
set -euo pipefail
exe=$1
expected_version=3.0.13.45782
headers=$(i686-w64-mingw32-objdump -p "$exe")
size=$(stat -c %s "$exe")
echo "$(basename "$exe"): $size bytes"
python3 "$(dirname "$0")/size_report.py" "${exe%.exe}.map"
grep -q 'Magic.*(PE32)' <<<"$headers" || { echo "not a PE32 image"; exit 1; }
grep -q 'file format pei-i386' <<<"$headers" || { echo "not an i386 image"; exit 1; }
grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || { echo "not a GUI program"; exit 1; }
if grep -i -E 'DLL Name: .*(libstdc|libgcc|winpthread|libz|zlib)' <<<"$headers"; then
  echo "depends on a MinGW DLL"; exit 1
fi
[ "$size" -le $((512 * 1024)) ] || { echo "over the 512 KB budget"; exit 1; }
# The file version of the version resource's fixed part (after its 0xFEEF04BD signature).
version=$(python3 - "$exe" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
at = data.find(struct.pack("<I", 0xFEEF04BD))
if at < 0:
    sys.exit("no version resource")
ms, ls = struct.unpack_from("<II", data, at + 8)
print(f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}")
PY
)
[ "$version" = "$expected_version" ] || { echo "file version $version, not $expected_version"; exit 1; }
echo "PE32 i386 GUI program, no MinGW DLL, version $version"
echo "1 passed, 0 failed"
