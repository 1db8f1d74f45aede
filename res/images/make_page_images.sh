#!/usr/bin/env bash
# Draws the three 512 x 512 page pictures in the brand colours: a download symbol (welcome
# and install pages), a success mark (finish pages) and an error mark (error page).
# Drawn at twice the size and scaled down for smooth edges, then stored as small 8-bit
# palette PNGs, because they count against the program's size budget.
set -euo pipefail
cd "$(dirname "$0")"

BACKGROUND='#FAFAFA'   # RGB(250,250,250)
BRAND='#0277BD'        # RGB(2,119,189)
HALO='#DCEBF5'         # the brand colour faded into the background

# picture NAME DRAW...: the brand disc on its halo with the white symbol drawn on top.
picture() {
  local name=$1
  shift
  convert -size 1024x1024 "xc:$BACKGROUND" \
    -fill "$HALO" -draw 'circle 512,512 512,40' \
    -fill "$BRAND" -draw 'circle 512,512 512,120' \
    -fill white -stroke white "$@" \
    -resize 512x512 -dither None -colors 16 -strip \
    -define png:compression-level=9 "PNG8:$name.png"
}

picture download -stroke none \
  -draw 'roundrectangle 462,280 562,560 20,20' \
  -draw 'polygon 332,520 692,520 512,720' \
  -draw 'roundrectangle 332,760 692,812 26,26'

picture success -fill none -strokewidth 88 \
  -draw 'stroke-linecap round stroke-linejoin round polyline 330,530 460,660 710,390'

picture error -fill none -strokewidth 88 \
  -draw 'stroke-linecap round line 380,380 644,644' -draw 'stroke-linecap round line 644,380 380,644'
