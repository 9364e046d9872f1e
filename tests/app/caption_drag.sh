#!/bin/sh
# Drags the tool's window by its caption strip with real pointer input (which
# a posted message cannot imitate: the move loop reads the pointer itself)
# and checks that it follows; a drag below the strip leaves it in place.
# Usage: caption_drag.sh BUILD_DIR
set -eu
build=$1
here=$(cd "$(dirname "$0")" && pwd)
WINE_BUILD_DIR=$build . "$here/../../cmake/wine-env.sh"
export LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8
export VARQO_SIM_DRIVES='Z:'$(printf '%s' "$here/../../simulated_windows/sample-drives.txt" | tr / '\\')
wine "$build/bin/VarqoFat32-sim.exe" >/dev/null 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
win=$(xdotool search --sync --onlyvisible --name '^VARQO file system format tool V1.0$' | head -n 1)
sleep 0.5

position() { xdotool getwindowgeometry --shell "$win" | sed -n 's/^[XY]=//p' | tr '\n' ' '; }
drag() {  # from (x, y) of the window by (dx, dy)
  set -- $(position) "$@"
  xdotool mousemove $(($1 + $3)) $(($2 + $4)) mousedown 1 sleep 0.2 \
    mousemove $(($1 + $3 + $5 / 2)) $(($2 + $4 + $6 / 2)) sleep 0.2 \
    mousemove $(($1 + $3 + $5)) $(($2 + $4 + $6)) sleep 0.2 mouseup 1
  sleep 0.5
}

start=$(position)
drag 100 12 40 30
set -- $start $(position)
if [ $(($3 - $1)) -ne 40 ] || [ $(($4 - $2)) -ne 30 ]; then
  echo "caption drag moved the window from ($1,$2) to ($3,$4), expected +40,+30"; exit 1
fi
moved=$(position)
drag 40 150 40 30
if [ "$(position)" != "$moved" ]; then
  echo "a drag on the window's body moved it: $moved -> $(position)"; exit 1
fi
echo "caption drag: 1 passed, 0 failed"
