#!/usr/bin/env bash
# Draws the shell extension's menu bitmap with ImageMagick and writes it
# beside this script: 16 colours, a small page with a green check mark on the
# menu's light grey, at 16, 20, 24 and 32 pixels (menubitmap.bmp,
# menubitmap20.bmp and so on), each drawn from the shapes, scaled, so that
# the menu gets the size of its check marks at any display scale. Run it again
# after changing the drawing; the outputs are committed.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 20 24 32; do
  suffix=$size
  [ "$size" = 16 ] && suffix=
  f=$(echo "$size / 16" | bc -l)
  convert -size "${size}x${size}" xc:'#C0C0C0' +antialias \
    -draw "scale $f,$f stroke #000000 fill white polygon 2,1 10,1 13,4 13,14 2,14" \
    -draw "scale $f,$f stroke #000000 fill #C0C0C0 polygon 10,1 10,4 13,4" \
    -draw "scale $f,$f stroke #008000 stroke-width 2 fill none polyline 4,8 7,11 12,5" \
    -colors 16 -type Palette "BMP3:menubitmap$suffix.bmp"
done
