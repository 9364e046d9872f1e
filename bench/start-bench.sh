#!/usr/bin/env bash
# Cold start of the tool under Wine, against a plain Win32 window, in the
# same run: from `wine x.exe` to its window shown on the virtual display.
# Before each start the wineserver is restarted and warmed up the same way,
# so every start meets the same server and no window of the last one.
# Prints each median, their ratio and the tool's size. Not a test.
#   RUNS=9 bash bench/start-bench.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
win=$root/build/windows
runs=${RUNS:-7}
cmake --build "$win" --target VarqoFat32 >/dev/null
x86_64-w64-mingw32-gcc-posix -O2 -static -mwindows -o "$win/bin/plain_window.exe" "$root/bench/plain_window.c"

(cd "$win" && "$root/cmake/wine-fixture.sh" start)
trap '(cd "$win" && "$root/cmake/wine-fixture.sh" stop)' EXIT
WINE_BUILD_DIR=$win . "$root/cmake/wine-env.sh"

start_ms() {  # exe caption
  wineserver -k || true; wineserver -w
  wineserver -p </dev/null >/dev/null 2>&1; wine cmd /c exit </dev/null >/dev/null 2>&1
  local t0 t1 w
  t0=$(date +%s%N)
  wine "$1" </dev/null >/dev/null 2>&1 &
  # xdotool's own --sync polls twice a second: too coarse here.
  until w=$(xdotool search --onlyvisible --name "$2" 2>/dev/null | head -n 1) && [ -n "$w" ]; do sleep 0.01; done
  t1=$(date +%s%N)
  xdotool key --window "$w" Escape 2>/dev/null || true
  wineserver -k || true
  echo $(((t1 - t0) / 1000000))
}
median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

tool=() plain=()
for _ in $(seq 1 "$runs"); do
  tool+=("$(start_ms "$win/bin/VarqoFat32.exe" '^VARQO file system format tool V1.0$')")
  plain+=("$(start_ms "$win/bin/plain_window.exe" '^Plain window$')")
done
t=$(printf '%s\n' "${tool[@]}" | median)
p=$(printf '%s\n' "${plain[@]}" | median)
echo "tool starts (ms):  ${tool[*]}"
echo "plain starts (ms): ${plain[*]}"
echo "median: tool $t ms, plain window $p ms, ratio $(awk -v t="$t" -v p="$p" 'BEGIN { printf "%.2f", t / p }') (goal <= 1.2)"
echo "VarqoFat32.exe: $(stat -c %s "$win/bin/VarqoFat32.exe") bytes"
