#!/usr/bin/env bash
# zan.exe as a user edits texture corners, with the real pointer and keys: a tile is painted,
# its base texture corner 1 dragged over the preview, and the backup map holds the corner.
set -u
build=$1
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all
mkdir -p savegame
rm -f ZANerrors.log savegame/VEZIDI.bak
source "$(dirname "$0")/zanwait.sh"
/usr/lib/wine/wine64 "$build/run/zan.exe" </dev/null >/dev/null 2>wine.err &
pid=$!
trap 'kill $pid 2>/dev/null' EXIT
wait_started || exit 1
xdotool mousemove 500 400
xdotool key Escape              # from the LOAD screen to the game screen
xdotool key t                   # the strip, and with it the previews
click_at 520 420 || exit 1      # paint tool: texture 4, an alpha texture, on the tile there
xdotool mousemove 14 318        # base preview, texture corner 1
from=$(log_size)
xdotool mousedown 1
wait_log "$from" ProcessLeftMouseButton || exit 1
xdotool mousemove 40 290
from=$(log_size)
xdotool mousemove 60 260        # panel point (55, 60)
# Three button steps after the move: at least one in a frame that read the new pointer.
wait_log "$from" ProcessLeftMouseButton 3 || exit 1
xdotool mouseup 1
xdotool mousemove 600 300
xdotool key Escape              # memorial screen, backup, quit
wait_ended $pid || { echo "did not quit"; cat wine.err; exit 1; }

# Per tile two lines: its values (alpha texture the 9th), then its texture corners (base
# corner 1 first). The painted tile has corner 1 at (55/128, 60/128), as the file rounds it;
# every other is blank.
tr -d '\r' < savegame/VEZIDI.bak | awk '
    function near(a, b) { return a - b < 1e-5 && b - a < 1e-5 }
    NR > 2 && NR <= 20002 && NR % 2 == 1 { alpha = $9 }
    NR > 2 && NR <= 20002 && NR % 2 == 0 {
        tiles++
        moved = ($1 != 0.07 || $2 != 0.93)
        if (alpha == 4) { painted++; if (near($1, 55/128) && near($2, 60/128)) dragged++ }
        else if (moved) stray++
    }
    END {
        printf "tiles %d painted %d dragged %d stray %d\n", tiles, painted, dragged, stray
        exit !(tiles == 10000 && painted == 1 && dragged == 1 && stray == 0)
    }'
