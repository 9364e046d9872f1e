#!/bin/sh
# Runs a Windows program under Wine with the build tree's own prefix and
# display, so tests leave nothing outside the build tree. The prefix, display
# and wineserver are prepared by wine-fixture.sh (a CTest fixture).
#
# Wine checks the heap on every allocation and free (wine-env.sh turns on its
# heap warnings): a run in which the program, or a program it started, freed
# a block twice or wrote past one ends with exit code 99 whatever the program
# itself answered, and the warnings stay on standard error.
here=$(dirname "$0")
. "$here/wine-env.sh"
log=$(mktemp)
wine "$@" 2>"$log"
rc=$?
cat "$log" >&2
if grep -q ':heap:' "$log"; then
  echo "wine-run: Wine reported heap damage (see the heap lines above)" >&2
  rc=99
fi
rm -f "$log"
exit $rc
