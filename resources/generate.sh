#!/usr/bin/env bash
# Draws the verifier's pictures with ImageMagick and writes them beside this
# script: the row and sort-arrow images (six 16 x 16 cells side by side, an
# 8-bit colour strip and its 1-bit mask, white = transparent) and the
# program icon (a page with a green check mark, 16, 32 and 48 pixels).
# Run it again after changing a drawing; the outputs are committed.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Shapes of the six cells, drawn at cell origin 0,0 and moved by translate.
check='stroke-linecap round stroke-linejoin round stroke-width 2.6 fill none polyline 3,8.5 6.5,12 13,4'
cross='stroke-linecap round stroke-width 2.6 line 4,4 12,12 line 12,4 4,12'
info_circle='stroke none circle 8,8 8,1'
info_mark='stroke none fill white rectangle 7,7 9,12 rectangle 7,3.5 9,5.5'
up='stroke none polygon 8,4 13,11 3,11'
down='stroke none polygon 3,5 13,5 8,12'

draw() {  # draw COLOUR-OF-SHAPES-AS-ARGS into $1 with background $2
  local out=$1 bg=$2 fg_check=$3 fg_cross=$4 fg_info=$5 fg_mark=$6 fg_arrow=$7
  convert -size 96x16 xc:"$bg" +antialias \
    -draw "translate 16,0 stroke $fg_check $check" \
    -draw "translate 32,0 stroke $fg_cross $cross" \
    -draw "translate 48,0 fill $fg_info $info_circle" \
    -draw "translate 48,0 ${info_mark/fill white/fill $fg_mark}" \
    -draw "translate 64,0 fill $fg_arrow $up" \
    -draw "translate 80,0 fill $fg_arrow $down" \
    "$out"
}

# Colour strip: transparent parts are black in the colour image (the mask
# hides them), shapes in their colours.
draw "$tmp/images.png" black '#008000' '#D00000' '#1050C0' white '#606060'
convert "$tmp/images.png" -depth 8 "$tmp/images.ppm"
python3 ppm_to_bmp8.py "$tmp/images.ppm" images.bmp
# Mask: white where transparent, black where a shape is.
draw "$tmp/mask.png" white black black black black black
convert "$tmp/mask.png" -monochrome -type Bilevel BMP3:maskimages.bmp

# Icon: a white page with a folded corner and a green check mark.
for size in 16 32 48; do
  s=$(echo "$size / 32" | bc -l)
  convert -size 32x32 xc:none \
    -draw "stroke #404040 stroke-width 1.5 fill white polygon 6,2 21,2 27,8 27,30 6,30" \
    -draw "stroke #404040 stroke-width 1 fill #D8D8D8 polygon 21,2 21,8 27,8" \
    -draw "stroke #707070 stroke-width 1 line 10,10 18,10 line 10,14 22,14" \
    -draw "stroke #008000 stroke-width 4 stroke-linecap round stroke-linejoin round fill none polyline 10,21 15,26 25,14" \
    -resize "${size}x${size}" "$tmp/icon$size.png"
done
convert "$tmp/icon16.png" "$tmp/icon32.png" "$tmp/icon48.png" corvana.ico
