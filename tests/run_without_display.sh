#!/usr/bin/env bash
# zan.exe with no X display: Direct3D cannot start, the failure is logged and the shutdown
# still runs every release step, ending with "Closing down" and exit code 0. It runs on a
# wineserver of its own: a desktop started without a display would refuse later windows.
set -u
build=$1
source "$(dirname "$0")/altprefix.sh"
use_alt_prefix "$build"
rm -f ZANerrors.log
env -u DISPLAY timeout 60 /usr/lib/wine/wine64 "$build/run/zan.exe" </dev/null >/dev/null 2>wine.err
code=$?
/usr/lib/wine/wineserver -k </dev/null >/dev/null 2>&1
[ "$code" -eq 0 ] || { echo "exit code $code"; cat wine.err; exit 1; }
log=$(tr -d '\r' < ZANerrors.log)
expect() { grep -qxF "$1" <<<"$log" || { echo "missing line: $1"; echo "$log" | head; exit 1; }; }
[ "$(head -n1 <<<"$log")" = "ZANerrors.log started " ] || { echo "bad first line"; exit 1; }
expect "Failed to create the D3D Object "
expect "Failed to InitD3D( hWnd )"
[ "$(tail -n1 <<<"$log")" = "Closing down" ] || { echo "bad last line"; exit 1; }
echo "ok"
