#!/usr/bin/env bash
# Benchmark (not a test) of mkfat32's own options on a sparse 64 GiB image:
# the fake-capacity probe's time (--check) and the format time with and
# without --align. Prints the best of $RUNS runs of each.
#   usage: bench/mkfat32-options-bench.sh [MKFAT32] [WORKDIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mkfat32=${1:-$root/build/native/tools/mkfat32}
work=${2:-$root/build/bench}
runs=${RUNS:-3}
size=${SIZE:-64G}
mkdir -p "$work"
img="$work/options-bench.img"
[ -x "$mkfat32" ] || { echo "no $mkfat32: build first (scripts/build.sh)"; exit 1; }

# best_of ARGS...: the fastest wall time of $runs runs on a fresh sparse image.
best_of() {
  local best="" t0 t1 t
  for _ in $(seq "$runs"); do
    rm -f "$img"; truncate -s "$size" "$img"
    t0=$(date +%s.%N); "$mkfat32" "$@" "$img" >"$work/options-bench.out" 2>&1; t1=$(date +%s.%N)
    t=$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')
    if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
  done
  printf '%.3f' "$best"
}

plain=$(best_of)
aligned=$(best_of --align)
checked=$(best_of --check)
probe=$(sed -n -E 's/^Probe: (.*) in ([0-9.]+) seconds.*/\2 s (\1)/p' "$work/options-bench.out")
printf '%-34s %s\n' "image" "$size (sparse)"
printf '%-34s %s s\n' "format" "$plain"
printf '%-34s %s s\n' "format --align (4 MiB)" "$aligned"
printf '%-34s %s s\n' "format --check (probe + format)" "$checked"
printf '%-34s %s\n' "probe alone" "$probe"
rm -f "$img" "$work/options-bench.out"
