#!/usr/bin/env bash
# The cave editor as a user drives zan.exe with mouse and keys: a ridge raised with the
# height keys on corners picked by clicks, X, the add tool clicked on two tiles of its slope,
# Escape; the backup map holds the raised corners and the two caves. Input waits for the
# program's log, not for a time; messages (the keys) are taken in the order they are sent.
#
# Screen positions are those of the start view on a 1024 x 768 screen (camera over (40, 30)
# at height 20, looking along +z): corner (x, 58) lies at (512 + 72 (x - 40), 436), the middle
# of tile (39, 57) at (475, 428) and of tile (41, 57) at (622, 428).
set -u
build=$1
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix} WINEDEBUG=-all
backup=savegame/VEZIDI.bak
rm -f "$backup" ZANerrors.log

source "$(dirname "$0")/zanwait.sh"
/usr/lib/wine/wine64 "$build/run/zan.exe" </dev/null >/dev/null 2>wine.err &
zan=$!
trap 'kill $zan 2>/dev/null' EXIT
wait_started || exit 1
xdotool mousemove 600 600    # off the screen's edges, which scroll the camera

xdotool key Escape           # from the LOAD screen to the game
xdotool key e                # the height tool, raised by keys; a click picks the corner
for x in 440 512 584 656; do
  click_at "$x" 436 || exit 1
  for _ in $(seq 36); do xdotool key KP_Add; done
done
xdotool key x
click_at 1005 45 || exit 1   # the palette's bottom right cell: the add tool
click_at 475 428 || exit 1
from=$(log_size)
xdotool mousemove 622 428 click 1   # a quick click: pressed and released within a frame
wait_log "$from" ProcessLeftMouseButton || exit 1
xdotool mousemove 600 700
xdotool key Escape           # memorial screen, backup, quit

wait_ended $zan || { echo "zan.exe did not quit"; exit 1; }
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
