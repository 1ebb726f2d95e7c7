#!/usr/bin/env bash
# Makes Orvanta's own sample pictures (deterministic: fixed seeds) with ImageMagick.
# They are committed; run this again only to change them.
set -euo pipefail
cd "$(dirname "$0")"
convert -seed 11 -size 640x480 plasma:steelblue-orange -blur 0x6 -colors 64 orvanta-plasma.png
convert -size 640x480 radial-gradient:gold-darkred \
  \( -size 640x480 xc:none -stroke white -strokewidth 3 -fill none \
     -draw "circle 320,240 320,60" -draw "circle 320,240 320,120" -draw "circle 320,240 320,180" \) \
  -composite -depth 8 -colors 200 -compress zip orvanta-rings.tif
convert -size 600x800 gradient:navy-skyblue \
  -fill white -draw "polygon 300,120 340,260 480,260 370,340 410,480 300,400 190,480 230,340 120,260 260,260" \
  -compress RLE orvanta-star.tga
