#!/usr/bin/env bash
# Regenerates the image button faces (120 x 36, 24-bit uncompressed BMP) from scratch.
# The generated files are committed; the build does not need ImageMagick.
set -euo pipefail
out=$(cd "$(dirname "$0")/.." && pwd)/resources/art
convert=/usr/bin/convert
face() { # name top-colour bottom-colour border-colour inset
  local name=$1 top=$2 bottom=$3 border=$4 inset=$5
  $convert -size 120x36 "gradient:$top-$bottom" \
    -fill none -stroke "$border" -strokewidth 2 -draw "roundrectangle 1,1 118,34 8,8" \
    -stroke "rgba(255,255,255,0.55)" -strokewidth 1 -draw "line 10,$((3 + inset)) 109,$((3 + inset))" \
    -type TrueColor -compress None "BMP3:$out/$name.bmp"
}
face button_normal '#f4f8fc' '#c9d9ea' '#5b7fa6' 0
face button_hover '#fffbe8' '#ffd977' '#c98a00' 0
face button_pressed '#9fb6cf' '#dfe8f2' '#2f4f73' 2
