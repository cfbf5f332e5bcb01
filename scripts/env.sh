# Sourced by the scripts: the build tree, the Wine prefix inside it, and a quiet, dialog-free Wine.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build"
export WINEPREFIX="$BUILD/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
WINE=/usr/lib/wine/wine64

# Creates the prefix once, with no crash dialog and unmanaged windows.
ensure_prefix() {
  [ -f "$WINEPREFIX/.zan-ready" ] && return 0
  mkdir -p "$BUILD"
  echo "setup: creating the Wine prefix in $WINEPREFIX"
  timeout 300 "$WINE" wineboot -i </dev/null >/dev/null 2>&1 || true
  timeout 60 "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
  timeout 60 "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
  timeout 60 /usr/lib/wine/wineserver -w </dev/null >/dev/null 2>&1 || true
  touch "$WINEPREFIX/.zan-ready"
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
