#!/usr/bin/env bash
# make_prefix.sh PREFIX win64|win32 CA_DER IMPORT_CA_EXE
# Creates one of the tests' own Wine prefixes (once): Windows 10, real user folders instead
# of links into $HOME, every program inside one 1024x768 virtual desktop, the test CA trusted.
# KELVARA_WINE names the loader (default wine).
set -euo pipefail
prefix=$1 arch=$2 ca=$3 importer=$4
wine=${KELVARA_WINE:-wine}
[ -f "$prefix/.kelvara-ready" ] && exit 0

rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=d;mshtml=d"
[ "$arch" = win32 ] && export WINEARCH=win32
"$wine" wineboot -i >/dev/null 2>&1
wineserver -w

for user_dir in "$prefix"/drive_c/users/*/; do
  for name in Desktop Documents Downloads Music Pictures Videos; do
    if [ -L "$user_dir$name" ]; then rm -f "$user_dir$name" && mkdir -p "$user_dir$name"; fi
  done
done

# Debian's Wine does not find its own fonts (the caption buttons' Marlett glyphs among
# them) unless they are in the prefix.
cp -n /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true

"$wine" reg add 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null
"$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
"$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null
"$wine" "$importer" "$ca" >/dev/null
wineserver -w
touch "$prefix/.kelvara-ready"
