#!/usr/bin/env bash
# Cold start of the tool under Wine, against a plain Win32 window, in the
# same run: from process creation to its window shown and painted, timed from
# inside Wine by bench/start_timer.c (polling from outside, with xdotool,
# costs more than what it measures). Before each start the wineserver is
# restarted and warmed up the same way, so every start meets the same server
# and no window of the last one, and then left alone for QUIET seconds: a
# start made right after the warm-up window's end meets Wine still busy with
# it, and both programs then scatter between 50 and 160 ms from one start to
# the next. After a second or more of quiet both take 150-190 ms: the case
# of a start on an idle desktop. QUIET=0 measures the back-to-back case.
# Prints each median, their ratio and the tool's size. Not a test.
#   RUNS=41 QUIET=2 bash bench/start-bench.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
win=$root/build/windows
runs=${RUNS:-31}
quiet=${QUIET:-2}
cmake --build "$win" --target VarqoFat32 >/dev/null
x86_64-w64-mingw32-gcc-posix -O2 -static -mwindows -o "$win/bin/plain_window.exe" "$root/bench/plain_window.c"
x86_64-w64-mingw32-gcc-posix -O2 -static -municode -o "$win/bin/start_timer.exe" "$root/bench/start_timer.c"

(cd "$win" && "$root/cmake/wine-fixture.sh" start)
trap '(cd "$win" && "$root/cmake/wine-fixture.sh" stop)' EXIT
WINE_BUILD_DIR=$win . "$root/cmake/wine-env.sh"

start_ms() {  # exe window-class
  wineserver -k || true; wineserver -w
  wineserver -p </dev/null >/dev/null 2>&1; wine cmd /c exit </dev/null >/dev/null 2>&1
  # Wine starts its desktop process with the first window of a session;
  # a throwaway plain window takes that cost out of both measurements.
  wine "$win/bin/start_timer.exe" "$plain_exe" PlainWindow </dev/null >/dev/null 2>&1
  sleep "$quiet"
  wine "$win/bin/start_timer.exe" "$1" "$2" </dev/null 2>/dev/null | tr -d '\r'
}
median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
tool_exe=$(winpath "$win/bin/VarqoFat32.exe")
plain_exe=$(winpath "$win/bin/plain_window.exe")
tool=() plain=()
for _ in $(seq 1 "$runs"); do
  tool+=("$(start_ms "$tool_exe" VarqoCFAT32)")
  plain+=("$(start_ms "$plain_exe" PlainWindow)")
done
t=$(printf '%s\n' "${tool[@]}" | median)
p=$(printf '%s\n' "${plain[@]}" | median)
echo "tool starts (ms):  ${tool[*]}"
echo "plain starts (ms): ${plain[*]}"
echo "quiet before each start: $quiet s, $runs starts each"
echo "median: tool $t ms, plain window $p ms, ratio $(awk -v t="$t" -v p="$p" 'BEGIN { printf "%.2f", t / p }') (goal <= 1.2)"
echo "VarqoFat32.exe: $(stat -c %s "$win/bin/VarqoFat32.exe") bytes"
