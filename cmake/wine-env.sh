# Sourced: chooses the Wine prefix and X display for the current build tree.
# WINE_BUILD_DIR is the build tree (CTest runs tests from inside it).
: "${WINE_BUILD_DIR:=$PWD}"
while [ ! -f "$WINE_BUILD_DIR/CMakeCache.txt" ] && [ "$WINE_BUILD_DIR" != "/" ]; do
  WINE_BUILD_DIR=$(dirname "$WINE_BUILD_DIR")
done
export WINE_BUILD_DIR
# A test may run in a prefix of its own inside the tree (a scaled screen).
export WINEPREFIX="${WINE_TEST_PREFIX:-$WINE_BUILD_DIR/wineprefix}"
# Quiet, but for the heap's warnings: wine-run.sh fails a run that has any.
export WINEDEBUG=-all,warn+heap
export WINEDLLOVERRIDES="mscoree,mshtml="
# One display per build tree, derived from its path, so two trees can test at once.
if [ -z "${WINE_TEST_DISPLAY:-}" ]; then
  WINE_TEST_DISPLAY=$(( 100 + $(printf '%s' "$WINE_BUILD_DIR" | cksum | cut -d' ' -f1) % 400 ))
fi
export DISPLAY=":$WINE_TEST_DISPLAY"
