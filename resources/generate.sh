#!/usr/bin/env bash
# Draws the verifier's pictures with ImageMagick and writes them beside this
# script: the row and sort-arrow images (six square cells side by side, an
# 8-bit colour strip and its 1-bit mask, white = transparent) at 16, 20, 24
# and 32 pixels, and the program icon (a page with a green check mark) at
# 16, 20, 24, 32, 40, 48 and 64 pixels. Every size is drawn from the shapes
# themselves, scaled, never stretched from a smaller picture, so that each
# display scale gets sharp edges. Run it again after changing a drawing; the
# outputs are committed.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Shapes of the six cells in a 16-pixel cell, drawn at cell origin 0,0 and
# moved by translate, enlarged by scale.
check='stroke-linecap round stroke-linejoin round stroke-width 2.6 fill none polyline 3,8.5 6.5,12 13,4'
cross='stroke-linecap round stroke-width 2.6 line 4,4 12,12 line 12,4 4,12'
info_circle='stroke none circle 8,8 8,1'
info_mark='stroke none fill white rectangle 7,7 9,12 rectangle 7,3.5 9,5.5'
up='stroke none polygon 8,4 13,11 3,11'
down='stroke none polygon 3,5 13,5 8,12'

# draw OUT SIZE BACKGROUND CHECK CROSS INFO MARK ARROW: the strip of SIZE-pixel
# cells with the shapes in those colours.
draw() {
  local out=$1 size=$2 bg=$3 fg_check=$4 fg_cross=$5 fg_info=$6 fg_mark=$7 fg_arrow=$8
  local f
  f=$(echo "$size / 16" | bc -l)
  cell() { echo "translate $(($1 * size)),0 scale $f,$f"; }
  convert -size $((6 * size))x$size xc:"$bg" +antialias \
    -draw "$(cell 1) stroke $fg_check $check" \
    -draw "$(cell 2) stroke $fg_cross $cross" \
    -draw "$(cell 3) fill $fg_info $info_circle" \
    -draw "$(cell 3) ${info_mark/fill white/fill $fg_mark}" \
    -draw "$(cell 4) fill $fg_arrow $up" \
    -draw "$(cell 5) fill $fg_arrow $down" \
    "$out"
}

# The 16-pixel strips keep the names the window has always loaded; the
# larger ones carry their size ("IMAGES24", "MASKIMAGES24").
for size in 16 20 24 32; do
  suffix=$size
  [ "$size" = 16 ] && suffix=
  # Colour strip: transparent parts are black in the colour image (the mask
  # hides them), shapes in their colours.
  draw "$tmp/images.png" "$size" black '#008000' '#D00000' '#1050C0' white '#606060'
  convert "$tmp/images.png" -depth 8 "$tmp/images.ppm"
  python3 ppm_to_bmp8.py "$tmp/images.ppm" "images$suffix.bmp"
  # Mask: white where transparent, black where a shape is.
  draw "$tmp/mask.png" "$size" white black black black black black
  convert "$tmp/mask.png" -monochrome -type Bilevel "BMP3:maskimages$suffix.bmp"
done

# Icon: a white page with a folded corner and a green check mark, drawn in a
# 32-pixel square and scaled to each size.
icons=()
for size in 16 20 24 32 40 48 64; do
  s=$(echo "$size / 32" | bc -l)
  convert -size "${size}x${size}" xc:none \
    -draw "scale $s,$s stroke #404040 stroke-width 1.5 fill white polygon 6,2 21,2 27,8 27,30 6,30" \
    -draw "scale $s,$s stroke #404040 stroke-width 1 fill #D8D8D8 polygon 21,2 21,8 27,8" \
    -draw "scale $s,$s stroke #707070 stroke-width 1 line 10,10 18,10 line 10,14 22,14" \
    -draw "scale $s,$s stroke #008000 stroke-width 4 stroke-linecap round stroke-linejoin round fill none polyline 10,21 15,26 25,14" \
    "$tmp/icon$size.png"
  icons+=("$tmp/icon$size.png")
done
convert "${icons[@]}" corvana.ico
