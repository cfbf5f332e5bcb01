#!/usr/bin/env bash
# Runs test programs on a 1280 x 1024 desktop, on a display and a wineserver of their own.
set -euo pipefail
build=$1; shift
source "$(dirname "$0")/altprefix.sh"
use_alt_prefix "$build"
if [ -z "${ZAN_ON_DISPLAY:-}" ]; then
  ZAN_ON_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$@" </dev/null
fi
/usr/lib/wine/wineserver -p </dev/null >/dev/null 2>&1
/usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1
status=0
for exe in "$@"; do
  (cd "$build/testdirs/$(basename "$exe" .exe)" && /usr/lib/wine/wine64 "$exe") || status=1
done
/usr/lib/wine/wineserver -k </dev/null >/dev/null 2>&1 || true
exit $status
