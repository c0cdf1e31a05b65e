#!/usr/bin/env bash
# Draws tavo.ico (16, 32 and 48 px) with ImageMagick: a clock face over a
# title bar, what Tavo is about. The .ico is kept in the tree; run this only
# to change the drawing.
set -euo pipefail
cd "$(dirname "$0")"
convert=/usr/bin/convert  # ImageMagick itself, not a wrapper earlier on PATH
[ -x "$convert" ] || convert=convert
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

"$convert" -size 256x256 xc:none \
  -fill '#1f4e9c' -stroke none -draw 'roundrectangle 8,40 248,124 22,22' \
  -fill '#fffdf3' -stroke '#16306b' -strokewidth 18 -draw 'circle 128,140 128,34' \
  -stroke '#16306b' -strokewidth 20 -draw 'line 128,140 128,70' -draw 'line 128,140 178,170' \
  -stroke '#d23a2a' -strokewidth 10 -draw 'line 128,140 82,186' \
  -fill '#16306b' -stroke none -draw 'circle 128,140 128,126' \
  "$tmp/big.png"
for s in 16 32 48; do
  "$convert" "$tmp/big.png" -filter Lanczos -resize "${s}x${s}" "$tmp/icon-$s.png"
done
"$convert" "$tmp/icon-16.png" "$tmp/icon-32.png" "$tmp/icon-48.png" tavo.ico
echo "res/tavo.ico written"
