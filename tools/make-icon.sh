#!/bin/bash
# Draws the program's icon (a small clock face) at 16, 32 and 48 pixels and
# packs them into src/res/zentar.ico. Needs ImageMagick.
set -euo pipefail
out=${1:-"$(dirname "$0")/../src/res/zentar.ico"}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for s in 16 32 48; do
  c=$(echo "scale=2; $s/2" | bc)
  r=$(echo "scale=2; $s/2 - 1" | bc)
  w=$(echo "scale=2; $s/16" | bc)
  ticks=""
  for i in 0 1 2 3 4 5 6 7 8 9 10 11; do
    a=$(echo "scale=6; $i*3.14159265/6" | bc -l)
    x1=$(echo "scale=2; $c + ($r-$w*1.5)*s($a)" | bc -l); y1=$(echo "scale=2; $c - ($r-$w*1.5)*c($a)" | bc -l)
    x2=$(echo "scale=2; $c + ($r-$w*3)*s($a)" | bc -l);   y2=$(echo "scale=2; $c - ($r-$w*3)*c($a)" | bc -l)
    ticks+="line $x1,$y1 $x2,$y2 "
  done
  convert -size ${s}x${s} xc:none \
    -fill '#1d2733' -stroke '#5fd35f' -strokewidth "$w" -draw "circle $c,$c $c,1" \
    -stroke '#5fd35f' -strokewidth "$(echo "scale=2; $w*0.7" | bc)" -draw "$ticks" \
    -stroke '#f2f2f2' -strokewidth "$(echo "scale=2; $w*1.3" | bc)" \
    -draw "line $c,$c $c,$(echo "scale=2; $c - $r*0.55" | bc)" \
    -draw "line $c,$c $(echo "scale=2; $c + $r*0.45" | bc),$c" \
    -fill '#ff6a3d' -stroke none -draw "circle $c,$c $(echo "scale=2; $c + $w" | bc),$c" \
    "$tmp/$s.png"
done
convert "$tmp/16.png" "$tmp/32.png" "$tmp/48.png" "$out"
echo "wrote $out"
