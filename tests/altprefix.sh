# Sourced by the tests that need a wineserver of their own: a copy of the main Wine prefix.
# A wineserver's desktop belongs to whichever display its first window met, so a run on another
# display, or with none, must not share the main one.
use_alt_prefix() {
  local build=$1
  export WINEPREFIX="$build/wineprefix-alt" WINEDEBUG=-all
  [ -f "$WINEPREFIX/.zan-ready" ] || { rm -rf "$WINEPREFIX"; cp -a "$build/wineprefix" "$WINEPREFIX"; }
}
