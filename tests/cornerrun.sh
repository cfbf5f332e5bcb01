#!/usr/bin/env bash
# zan.exe as a user edits texture corners, with the real pointer and keys: a tile is painted,
# its base texture corner 1 dragged over the preview, and the backup map holds the corner.
set -u
build=$1
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all
mkdir -p savegame
rm -f ZANerrors.log savegame/VEZIDI.bak
/usr/lib/wine/wine64 "$build/run/zan.exe" </dev/null >/dev/null 2>wine.err &
pid=$!
for _ in $(seq 300); do grep -q cavexneg.pie ZANerrors.log 2>/dev/null && break; sleep 0.1; done
sleep 1
act() { xdotool "$@"; sleep 0.4; }
act mousemove 500 400
act key Escape                  # from the LOAD screen to the game screen
act key t                       # the strip, and with it the previews
act mousemove 520 420
act mousedown 1                 # paint tool: texture 4, an alpha texture, on the tile there
act mouseup 1
act mousemove 14 318            # base preview, texture corner 1
act mousedown 1
act mousemove 40 290
act mousemove 60 260            # panel point (55, 60)
act mouseup 1
act mousemove 600 300
act key Escape                  # memorial screen, backup, quit
for _ in $(seq 200); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && { kill $pid; echo "did not quit"; cat wine.err; exit 1; }

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
