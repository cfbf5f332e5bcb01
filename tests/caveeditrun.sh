#!/usr/bin/env bash
# The cave editor as a user drives zan.exe with mouse and keys: a ridge raised with the
# height keys, X, the add tool clicked on two tiles of its slope, Escape; the backup map
# holds the raised corners and the two caves.
#
# Screen positions are those of the start view on a 1024 x 768 screen (camera over (40, 30)
# at height 20, looking along +z): corner (x, 58) lies at (512 + 72 (x - 40), 436), the middle
# of tile (39, 57) at (475, 428) and of tile (41, 57) at (622, 428).
set -u
build=$1
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix} WINEDEBUG=-all
backup=savegame/VEZIDI.bak
rm -f "$backup" ZANerrors.log

/usr/lib/wine/wine64 "$build/run/zan.exe" </dev/null >/dev/null 2>wine.err &
zan=$!
for _ in $(seq 150); do
  xdotool search --name "Zan ZAVAZA C/S APP" >/dev/null 2>&1 && break
  sleep 0.1
done
xdotool mousemove 600 600    # off the screen's edges, which scroll the camera
sleep 1.5

click() { xdotool mousemove "$1" "$2"; sleep 0.3; xdotool mousedown 1; sleep 0.2; xdotool mouseup 1; sleep 0.3; }

xdotool key Escape           # from the LOAD screen to the game
sleep 0.3
xdotool key e                # the height tool, raised by keys
for x in 440 512 584 656; do
  xdotool mousemove "$x" 436
  sleep 1.5                  # the hover step picks the corner under the moved pointer
  for _ in $(seq 36); do xdotool key KP_Add; sleep 0.03; done
  sleep 2                    # each raise rebuilds the land; let the keys drain
done
xdotool key x
sleep 0.3
click 1005 45                # the palette's bottom right cell: the add tool
click 475 428
click 622 428
xdotool mousemove 600 700
sleep 0.3
xdotool key Escape           # memorial screen, backup, quit

for _ in $(seq 200); do kill -0 $zan 2>/dev/null || break; sleep 0.1; done
kill -0 $zan 2>/dev/null && { echo "zan.exe did not quit"; kill $zan; exit 1; }
[ -f "$backup" ] || { echo "no backup written"; cat wine.err; exit 1; }

# Line 3 + 2 (100 z + x) starts with the height of corner (x, z); after the 10,000 tiles come
# the record count, 4 lines per record, the cave count and one summary line per cave.
tr -d '\r' < "$backup" | awk '
  NR >= 3 && NR < 20003 && (NR - 3) % 2 == 0 {
    i = (NR - 3) / 2; x = i % 100; z = int(i / 100)
    if ($1 != 0) raised[x "," z] = $1
  }
  NR == 20003 { records = $1; caves_at = 20003 + 4 * records + 1 }
  caves_at && NR == caves_at { caves = $1 }
  caves_at && NR > caves_at && NR <= caves_at + caves { summary[NR - caves_at] = $3 " " $2 }
  END {
    bad = 0
    for (x = 39; x <= 42; x++)
      if (raised[x ",58"] != 36) { print "corner (" x ", 58) is " raised[x ",58"] + 0; bad = 1 }
    n = 0; for (k in raised) n++
    if (n != 4) { print n " corners raised, not 4"; bad = 1 }
    if (caves != 2) { print caves + 0 " caves saved, not 2"; bad = 1 }
    if (summary[1] != "5739 0" || summary[2] != "5741 0") {
      print "cave tiles and directions: " summary[1] ", " summary[2]; bad = 1
    }
    if (!bad) print "ok"
    exit bad
  }'
