#!/bin/sh
# Runs a Windows program under Wine with the build tree's own prefix and
# display, so tests leave nothing outside the build tree. The prefix, display
# and wineserver are prepared by wine-fixture.sh (a CTest fixture).
here=$(dirname "$0")
. "$here/wine-env.sh"
exec wine "$@"
