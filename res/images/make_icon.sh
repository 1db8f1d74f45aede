#!/usr/bin/env bash
# Draws the application icon: a download arrow on a rounded square in the brand colour.
# Every size is stored PNG-compressed (Windows Vista and later read that), which keeps
# the icon a fraction of its uncompressed size in the download stub.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
sizes=(16 24 32 48)
for size in "${sizes[@]}"; do
  convert -size 256x256 xc:none \
    -fill '#0277BD' -draw 'roundrectangle 8,8 247,247 48,48' \
    -fill white -draw 'rectangle 108,52 148,140' \
    -draw 'polygon 68,124 188,124 128,192' \
    -draw 'rectangle 64,200 192,216' \
    -resize ${size}x${size} -strip -define png:compression-level=9 "PNG32:$tmp/icon_$size.png"
done
python3 - "$tmp" "${sizes[@]}" <<'PY'
import struct, sys
folder, sizes = sys.argv[1], [int(s) for s in sys.argv[2:]]
images = [open(f"{folder}/icon_{s}.png", "rb").read() for s in sizes]
header = struct.pack("<HHH", 0, 1, len(images))
offset = 6 + 16 * len(images)
entries = b""
for size, data in zip(sizes, images):
    entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
open("kelvara.ico", "wb").write(header + entries + b"".join(images))
PY
rm -rf "$tmp"
