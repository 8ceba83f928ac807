#!/usr/bin/env bash
# Draws the shell extension's menu bitmap with ImageMagick and writes it
# beside this script: 16 x 16 pixels, 16 colours, a small page with a green
# check mark on the menu's light grey. Run it again after changing the
# drawing; the output, menubitmap.bmp, is committed.
set -euo pipefail
cd "$(dirname "$0")"
convert -size 16x16 xc:'#C0C0C0' +antialias \
  -draw "stroke #000000 fill white polygon 2,1 10,1 13,4 13,14 2,14" \
  -draw "stroke #000000 fill #C0C0C0 polygon 10,1 10,4 13,4" \
  -draw "stroke #008000 stroke-width 2 fill none polyline 4,8 7,11 12,5" \
  -colors 16 -type Palette BMP3:menubitmap.bmp
