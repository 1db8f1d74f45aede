#!/usr/bin/env bash
# Draws the application icon: a download arrow on a rounded square in the brand colour.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
for size in 16 24 32 48; do
  convert -size 256x256 xc:none \
    -fill '#0277BD' -draw 'roundrectangle 8,8 247,247 48,48' \
    -fill white -draw 'rectangle 108,52 148,140' \
    -draw 'polygon 68,124 188,124 128,192' \
    -draw 'rectangle 64,200 192,216' \
    -resize ${size}x${size} "$tmp/icon_$size.png"
done
convert "$tmp"/icon_16.png "$tmp"/icon_24.png "$tmp"/icon_32.png "$tmp"/icon_48.png kelvara.ico
rm -rf "$tmp"
