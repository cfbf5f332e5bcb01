#!/usr/bin/env bash
# Lays every generated texture out in one PNG for looking at them.
#   tools/contactsheet.sh [RUN_DIR] [OUT.png]     (defaults: build/run, contactsheet.png)
# Land textures: one row per texture type (base, then its seven alpha textures), the plain
# texture last. Small pictures are enlarged; transparency shows as a checkerboard.
set -euo pipefail
run=${1:-build/run}
out=${2:-contactsheet.png}
tex="$run/textures"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# A font file for the labels (ImageMagick's default font name may not resolve).
font=$(fc-match -f '%{file}' sans 2>/dev/null || true)
label_font=()
[ -n "$font" ] && label_font=(-font "$font")

# Flattens a picture onto a checkerboard at the given size (nearest-neighbour enlargement).
show() {
  local src=$1 size=$2 dst=$3
  convert -size "$size" pattern:checkerboard \
    \( "$src" -filter point -resize "$size!" \) -compose over -composite "$dst"
}

land=()
for n in $(seq 0 128); do
  f="$tex/rode/alpha/lnd$(printf %02d "$n").dds"
  show "$f" 128x128 "$tmp/lnd$(printf %03d "$n").png"
  land+=(-label "$n" "$tmp/lnd$(printf %03d "$n").png")
done
montage "${land[@]}" -tile 8x -geometry +3+3 -background '#333' -fill white "${label_font[@]}" "$tmp/land.png"

other=()
for name in zancursor sampletexture painttexture landcornerselector rotatetexture fliptexturex \
            fliptexturez fliptriangle paintheight flood erase cave landeditgui landeditguicave; do
  show "$tex/$name.dds" 128x128 "$tmp/$name.png"
  other+=(-label "$name" "$tmp/$name.png")
done
montage "${other[@]}" -tile 7x -geometry +3+3 -background '#333' -fill white "${label_font[@]}" "$tmp/icons.png"

show "$tex/settingsave.dds" 305x71 "$tmp/save.png"
show "$tex/settingload.dds" 256x256 "$tmp/load.png"
show "$tex/splash/warmemorial.dds" 1024x512 "$tmp/memorial.png"
montage -label settingsave "$tmp/save.png" -label settingload "$tmp/load.png" \
  -label warmemorial "$tmp/memorial.png" -tile 3x -mode concatenate -geometry +3+3 -background '#333' -fill white "${label_font[@]}" \
  "$tmp/panels.png"

convert "$tmp/land.png" "$tmp/icons.png" "$tmp/panels.png" -background '#333' -gravity west \
  -append +repage "$out"
echo "contactsheet: wrote $out"
