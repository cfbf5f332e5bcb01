#!/usr/bin/env bash
# The X server killed under a running zan.exe: the program must end within seconds every time,
# either ended by Wine itself on the broken X connection (exit code 1, or now and then a signal
# in its X or GL code; no "Closing down") or by its own shutdown through the backup step and
# "Closing down" as the last log line.
#   tests/xserver_lost.sh BUILD [TRIES]     (default 3 tries); prints the share of each path
set -u
build=$1
tries=${2:-3}
source "$(dirname "$0")/altprefix.sh"
use_alt_prefix "$build"
dir=$(pwd)
mkdir -p savegame
ln -sfn "$build/run/textures" textures
ln -sfn "$build/run/features" features
wine_path=0; wine_signal=0; own_path=0; failed=0
for try in $(seq "$tries"); do
  rm -f ZANerrors.log savegame/VEZIDI.bak
  for n in $(seq 200 240); do [ -e "/tmp/.X11-unix/X$n" ] || break; done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  DISPLAY=":$n" /usr/lib/wine/wine64 "$build/run/zan.exe" </dev/null >/dev/null 2>wine.err &
  zan_pid=$!
  # Started once the last model file is read; then some frames, a different number each try.
  for _ in $(seq 300); do grep -q "cavexneg" ZANerrors.log 2>/dev/null && break; sleep 0.1; done
  sleep "$(( try % 3 )).$(( try * 37 % 10 ))"
  kill "$xvfb_pid"
  ended=0
  for _ in $(seq 300); do kill -0 "$zan_pid" 2>/dev/null || { ended=1; break; }; sleep 0.1; done
  if [ "$ended" -eq 0 ]; then
    echo "try $try: still running 30 s after the X server went"
    tail -n 3 ZANerrors.log
    failed=$((failed + 1))
    /usr/lib/wine/wineserver -k </dev/null >/dev/null 2>&1
    wait "$zan_pid"
    continue
  fi
  code=0; wait "$zan_pid" || code=$?
  last=$(tail -n 1 ZANerrors.log | tr -d '\r')
  if [ "$last" = "Closing down" ]; then
    if grep -aq "saving the backup" ZANerrors.log && [ ! -f savegame/VEZIDI.bak ]; then
      own_path=$((own_path + 1))
      echo "try $try: $(grep -a "saving the backup" ZANerrors.log | tr -d '\r')"
    else
      echo "try $try: no backup step, or a backup of the untouched map"; failed=$((failed + 1))
    fi
  elif [ "$code" -eq 1 ]; then
    wine_path=$((wine_path + 1))
  elif [ "$code" -gt 128 ]; then
    # Wine's own process died on a signal inside its X or GL code.
    wine_signal=$((wine_signal + 1))
  else
    echo "try $try: ended with code $code, last log line: $last"; failed=$((failed + 1))
  fi
  # The next try gets a fresh desktop: this wineserver's belonged to the display just killed.
  /usr/lib/wine/wineserver -k </dev/null >/dev/null 2>&1
  /usr/lib/wine/wineserver -w </dev/null >/dev/null 2>&1
done
echo "tries $tries: ended by Wine $wine_path (exit code 1) and $wine_signal (signal)," \
  "own shutdown with backup $own_path, failed $failed"
[ "$failed" -eq 0 ]
