#!/usr/bin/env bash
# Benchmark (not a test): formats sparse images of 8 GiB, 64 GiB, 1 TiB and
# 2 TiB - 1 MiB with our mkfat32 and with mkfs.fat -F 32, and prints the wall
# time and the bytes really written (file blocks allocated) side by side.
#   usage: bench/format-bench.sh [MKFAT32] [WORKDIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mkfat32=${1:-$root/build/native/tools/mkfat32}
work=${2:-$root/build/bench}
runs=${RUNS:-3}
mkdir -p "$work"
img="$work/bench.img"
MiB=$((1024 * 1024))

command -v mkfs.fat >/dev/null || { echo "mkfs.fat missing: run scripts/setup.sh"; exit 1; }
[ -x "$mkfat32" ] || { echo "no $mkfat32: build first (scripts/build.sh)"; exit 1; }

# best_of COMMAND...: the fastest of $runs runs on a fresh sparse image, in
# seconds; leaves the last image behind for the allocation count.
best_of() {
  local best="" t0 t1 t
  for _ in $(seq "$runs"); do
    rm -f "$img"; truncate -s "$size" "$img"; sync "$work" 2>/dev/null || true
    t0=$(date +%s.%N); "$@" >/dev/null 2>&1; t1=$(date +%s.%N)
    t=$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')
    if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
  done
  printf '%.3f' "$best"
}

written() { awk -v b="$(stat -c %b "$img")" -v m="$MiB" 'BEGIN { printf "%.1f", b * 512 / m }'; }

# What the layout must write: the cleared metadata area that mkfat32 reports.
layout_mib() {
  rm -f "$img"; truncate -s "$size" "$img"
  "$mkfat32" -v "$img" | sed -n -E 's/^Wrote ([0-9]+) bytes.*/\1/p' | awk -v m="$MiB" '{ printf "%.1f", $1 / m }'
}

printf '%-14s | %10s | %12s %12s | %12s %12s\n' "image" "layout MiB" "mkfat32 s" "written MiB" "mkfs.fat s" "written MiB"
printf '%s\n' "---------------+------------+---------------------------+--------------------------"
for size in $((8 * 1024 * MiB)) $((64 * 1024 * MiB)) $((1024 * 1024 * MiB)) $((2 * 1024 * 1024 * MiB - MiB)); do
  must=$(layout_mib)
  ours=$(best_of "$mkfat32" "$img"); ours_bytes=$(written)
  theirs=$(best_of mkfs.fat -F 32 "$img"); theirs_bytes=$(written)
  printf '%-14s | %10s | %12s %12s | %12s %12s\n' "$((size / MiB)) MiB" "$must" "$ours" "$ours_bytes" "$theirs" "$theirs_bytes"
done
rm -f "$img"
