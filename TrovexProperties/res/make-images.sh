#!/usr/bin/env bash
# Draws the program's pictures (banner, icon, menu icon strip, link cursor) with ImageMagick.
# The results are committed; run this only to change them.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
FONT=DejaVu-Sans-Bold

# Banner 130: 300 x 50, 16 bits per pixel, in the dialog's blue with the product name.
convert -size 50x300 gradient:'#5C7FBF'-'#8AA6D6' -rotate 90 \
    -fill '#FFFFFF22' -draw 'circle 262,25 262,-14' -fill '#FFFFFF18' -draw 'circle 232,48 232,20' \
    -fill '#1D3566' -draw 'roundrectangle 12,10 40,40 5,5' \
    -fill '#F2F5FA' -draw 'rectangle 17,29 21,35' -draw 'rectangle 24,22 28,35' \
    -fill '#F5B041' -draw 'rectangle 31,15 35,35' \
    -font $FONT -pointsize 19 -fill '#10244A' -annotate +52+27 'Trovelle Pro' \
    -font DejaVu-Sans -pointsize 10 -fill '#F2F5FA' -annotate +53+41 'Folder sizes where you look' \
    "$tmp/banner.png"
convert "$tmp/banner.png" -alpha off -define bmp:subtype=RGB555 BMP:Banner.bmp

# Icon 128: a dark tile with three size bars, 32 x 32 and 16 x 16.
convert -size 32x32 xc:none -fill '#1D3566' -draw 'roundrectangle 1,1 30,30 6,6' \
    -fill '#8AA6D6' -draw 'rectangle 6,18 10,25' -fill '#F2F5FA' -draw 'rectangle 13,12 17,25' \
    -fill '#F5B041' -draw 'rectangle 20,6 24,25' "$tmp/icon32.png"
convert -size 16x16 xc:none -fill '#1D3566' -draw 'roundrectangle 0,0 15,15 3,3' \
    -fill '#8AA6D6' -draw 'rectangle 3,9 4,12' -fill '#F2F5FA' -draw 'rectangle 7,6 8,12' \
    -fill '#F5B041' -draw 'rectangle 11,3 12,12' "$tmp/icon16.png"
convert "$tmp/icon32.png" "$tmp/icon16.png" Trovelle.ico

# Strip 131: five 16 x 16 tiles (help, FAQ, web site, support desk, about) on magenta, the
# colour the menu treats as transparent.
convert -size 80x16 xc:'#FF00FF' \
    -fill '#2E6BC6' -draw 'circle 7.5,7.5 7.5,0.5' \
    -fill white -font $FONT -pointsize 11 -annotate +4+12 '?' \
    -fill '#3C9A5F' -draw 'roundrectangle 17,2 30,11 2,2' -draw 'polygon 20,11 20,15 24,11' \
    -fill white -draw 'rectangle 20,6 27,7' \
    -fill '#2E8FD6' -draw 'circle 39.5,7.5 39.5,0.5' -stroke '#DDEEFF' -fill none \
    -draw 'line 33,7.5 46,7.5' -draw 'ellipse 39.5,7.5 3,7 0,360' -stroke none \
    -fill '#D6862E' -draw 'circle 55.5,5 55.5,1.5' -draw 'roundrectangle 50,9 61,15 3,3' \
    -fill '#2E6BC6' -draw 'circle 71.5,7.5 71.5,0.5' -fill white -draw 'rectangle 70,6 72,12' \
    -draw 'rectangle 70,3 72,4' \
    -type TrueColor BMP3:HelpIcons.bmp

# Cursor 132: a pointing hand, hot spot at the finger tip.
convert -size 32x32 xc:none -fill white -stroke black -strokewidth 1 \
    -draw 'path "M 9,1 L 12,1 L 12,11 L 15,11 L 15,13 L 18,13 L 18,15 L 21,15 L 21,17 L 23,17 L 23,26 L 20,31 L 9,31 L 3,21 L 3,18 L 6,18 L 9,21 Z"' \
    -stroke black -draw 'line 15,13 15,19' -draw 'line 18,15 18,19' -draw 'line 21,17 21,19' \
    "$tmp/hand.png"
convert "$tmp/hand.png" "$tmp/hand.ico"
python3 - "$tmp/hand.ico" LinkHand.cur <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], 'rb').read())
struct.pack_into('<H', data, 2, 2)          # resource type: cursor
struct.pack_into('<HH', data, 10, 10, 1)    # hot spot x, y instead of planes and bit count
open(sys.argv[2], 'wb').write(data)
PY
