# Sourced by the scripts: the build tree, the Wine prefixes inside it, and a quiet, dialog-free
# Wine. The tests use the main prefix and scripts/run a copy of its own: two programs in one
# prefix share one wineserver, and with it the keyboard focus and each other's shutdown.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build"
export WINEPREFIX="$BUILD/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
WINE=/usr/lib/wine/wine64

source "$ROOT/tests/altprefix.sh"

# Creates the prefix once, with no crash dialog and unmanaged windows. Wine makes no missing
# parent folder and says little when it fails, so both are seen to here.
ensure_prefix() {
  [ -f "$WINEPREFIX/.zan-ready" ] && return 0
  local parent log
  parent=$(dirname "$WINEPREFIX")
  mkdir -p "$parent"
  log="$parent/wineprefix-setup.log"
  echo "setup: creating the Wine prefix in $WINEPREFIX"
  local ok=true
  timeout 300 "$WINE" wineboot -i </dev/null >"$log" 2>&1 || true
  timeout 60 "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >>"$log" 2>&1 || ok=false
  timeout 60 "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >>"$log" 2>&1 || ok=false
  # The registry reaches its files when the server ends.
  timeout 60 /usr/lib/wine/wineserver -w </dev/null >/dev/null 2>&1 || true
  if ! $ok || [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "setup: no Wine prefix could be made in $WINEPREFIX; Wine said:" >&2
    tail -n 20 "$log" >&2
    return 1
  fi
  touch "$WINEPREFIX/.zan-ready"
}

# Switches to the prefix of scripts/run, copied from the main one the first time.
use_run_prefix() {
  use_prefix_copy "$BUILD" wineprefix-run
}

# Configures (once) and builds everything, assets included.
build_all() {
  ensure_prefix
  if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" \
      -DCMAKE_BUILD_TYPE=Release </dev/null
  fi
  cmake --build "$BUILD" -j"$(nproc)" </dev/null
}
