#!/bin/sh
# Draws the demo back end's pictures into files/ with ImageMagick: the product logo
# (square; the wizard shows it from 16 to 40 dialog units) and one picture per offer
# (546 x 320 pixels, the offer page's 312 x 160 dialog-unit picture area).
# The PNGs are committed; run this again only to change them.
set -eu

cd "$(dirname "$0")"
mkdir -p files

BRAND='rgb(2,119,189)'
BRAND_LIGHT='rgb(214,234,247)'
BACKGROUND='rgb(245,248,251)'
INK='rgb(31,42,51)'
MUTED='rgb(88,101,112)'
FONT=DejaVu-Sans
FONT_BOLD=DejaVu-Sans-Bold

save() {  # small, reproducible PNGs: no time stamps or other metadata
  convert - -strip -depth 8 -define png:exclude-chunks=date,time "files/$1"
}

# Tovanta Notes: a white note sheet with ruled lines on a brand-coloured tile.
convert -size 128x128 xc:none \
  -fill "$BRAND" -draw 'roundrectangle 4,4 123,123 26,26' \
  -fill white -draw 'roundrectangle 34,24 93,103 8,8' \
  -fill "$BRAND" -draw 'rectangle 45,44 82,49' -draw 'rectangle 45,58 82,63' \
  -draw 'rectangle 45,72 70,77' \
  png:- | save logo.png

# offer_image FILE NAME TAGLINE FEATURE1 FEATURE2 GLYPH-DRAW-ARGUMENTS...
offer_image() {
  file=$1 name=$2 tagline=$3 first=$4 second=$5
  shift 5
  convert -size 546x320 "xc:$BACKGROUND" \
    -fill "$BRAND" -draw 'rectangle 0,0 545,9' \
    -fill "$BRAND_LIGHT" -draw 'circle 126,165 126,51' \
    -fill "$BRAND" -draw 'roundrectangle 56,95 196,235 28,28' \
    "$@" \
    -font "$FONT_BOLD" -pointsize 24 -fill "$INK" -annotate +236+122 "$name" \
    -font "$FONT" -pointsize 15 -fill "$MUTED" -annotate +237+150 "$tagline" \
    -fill "$BRAND" -draw 'rectangle 237,166 277,168' \
    -draw 'circle 243,195 243,190' -draw 'circle 243,225 243,220' \
    -font "$FONT" -pointsize 15 -fill "$INK" \
    -annotate +257+200 "$first" -annotate +257+230 "$second" \
    png:- | save "$file"
}

# A document with a folded corner and text lines.
offer_image offer_pdf.png 'Paldra PDF Reader' 'Open, read and sign PDF files' \
  'Fast viewer with search' 'Fill in and sign forms' \
  -fill white -draw 'polygon 94,118 144,118 162,136 162,212 94,212' \
  -fill "$BRAND_LIGHT" -draw 'polygon 144,118 162,136 144,136' \
  -fill "$BRAND" -draw 'rectangle 106,152 150,157' -draw 'rectangle 106,168 150,173' \
  -draw 'rectangle 106,184 134,189'

# A picture frame with a sun and two hills.
offer_image offer_photo.png 'Kestio Photo Editor' 'Simple edits for every photo' \
  'One-click colour fixes' 'Crop, straighten and share' \
  -fill white -draw 'roundrectangle 82,128 170,202 6,6' \
  -fill "$BRAND_LIGHT" -draw 'circle 146,148 146,139' \
  -fill "$BRAND" -draw 'polygon 90,194 118,156 140,194' -draw 'polygon 122,194 144,170 162,194'

# A cloud with an upward arrow.
offer_image offer_backup.png 'Veltro Cloud Backup' 'Your files, safe in the cloud' \
  'Automatic daily backups' 'Restore any earlier version' \
  -fill white -draw 'circle 106,170 106,146' -draw 'circle 134,160 134,128' \
  -draw 'circle 156,178 156,160' -draw 'roundrectangle 82,170 176,196 13,13' \
  -fill "$BRAND" -draw 'polygon 129,146 147,166 136,166 136,186 122,186 122,166 111,166'
