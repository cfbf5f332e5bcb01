# Sourced by the tests that need a wineserver of their own: a copy of the main Wine prefix.
# A wineserver's desktop belongs to whichever display its first window met, so a run on another
# display, or with none, must not share the main one.
use_alt_prefix() {
  use_prefix_copy "$1" wineprefix-alt
}

# Switches to prefix NAME beside the main one in BUILD, copied from it the first time.
use_prefix_copy() {
  local build=$1
  export WINEPREFIX="$build/$2" WINEDEBUG=-all
  [ -f "$WINEPREFIX/.zan-ready" ] && return 0
  rm -rf "$WINEPREFIX"
  cp -a "$build/wineprefix" "$WINEPREFIX" ||
    { echo "could not copy the Wine prefix $build/wineprefix to $WINEPREFIX" >&2; return 1; }
}
