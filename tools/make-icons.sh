#!/usr/bin/env bash
# Makes every icon file of the program from resources/icon/yuchanqi.svg.
# The results are kept in the repository; run this after changing the SVG.
# Needs: librsvg2-bin (rsvg-convert), imagemagick, icoutils (icotool).
set -euo pipefail
cd "$(dirname "$0")/../resources/icon"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
convert=/usr/bin/convert

# Linux: the hicolor theme sizes, and the scalable source itself.
for size in 16 32 48 128 256; do
  mkdir -p "hicolor/${size}x${size}/apps"
  rsvg-convert -w "$size" -h "$size" yuchanqi.svg -o "hicolor/${size}x${size}/apps/yuchanqi.png"
done

# Windows: three images, 32x32 in 2 colours, 32x32 and 16x16 in 16 colours.
rsvg-convert -w 32 -h 32 yuchanqi.svg -o "$tmp/32.png"
rsvg-convert -w 16 -h 16 yuchanqi.svg -o "$tmp/16.png"
# Two colours: black ink on white; the corners stay transparent through the mask.
"$convert" "$tmp/32.png" -background white -alpha remove -colorspace gray -threshold 60% \
  -colorspace sRGB -type TrueColor \( "$tmp/32.png" -alpha extract -threshold 50% \) -alpha off \
  -compose CopyOpacity -composite +dither "PNG8:$tmp/a32.png"
"$convert" "$tmp/32.png" -channel A -threshold 50% +channel +dither -colors 15 "PNG8:$tmp/b32.png"
"$convert" "$tmp/16.png" -channel A -threshold 50% +channel +dither -colors 15 "PNG8:$tmp/c16.png"
icotool -c -o yuchanqi.ico -b 1 "$tmp/a32.png" -b 4 "$tmp/b32.png" -b 4 "$tmp/c16.png"
icotool -l yuchanqi.ico
