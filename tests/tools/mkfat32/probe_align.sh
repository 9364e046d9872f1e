#!/usr/bin/env bash
# mkfat32 --check on counterfeit and honest images, and --align on volumes of
# several sizes and partition offsets, checked by fsck.fat and mtools.
#   usage: probe_align.sh MKFAT32 WORKDIR
. "$(dirname "$0")/lib.sh"
mkfat32=$1 work=$2
mkdir -p "$work"; img="$work/probe.img"
GiB=$((1024 * MiB))

# Counterfeits: CLAIMED REAL (bytes). 31.9 GiB is taken down to whole sectors.
while read -r claimed real; do
  name="wrap at $((real / MiB)) MiB of $((claimed / GiB)) GiB"
  sparse_image "$img" "$claimed"
  "$mkfat32" --check --fake-capacity "$real" --label FAKE "$img" >"$work/out.txt" 2>&1; rc=$?
  [ "$rc" -eq 17 ] || { fail "$name: exit $rc, expected 17"; cat "$work/out.txt"; continue; }
  named=$(sed -n -E 's/^Failure! The device holds only about ([0-9]+) MB.*/\1/p' "$work/out.txt")
  # The named capacity lies within 1 % below the real one.
  if [ -z "$named" ] || [ $((named * MiB)) -gt "$real" ] || [ $((named * MiB * 100)) -lt $((real * 99)) ]; then
    fail "$name: named '${named}' MB"; cat "$work/out.txt"; continue
  fi
  fsck.fat -n "$img" >/dev/null 2>&1 && { fail "$name: fsck.fat found a volume"; continue; }
  pass "$name: refused with 17, names $named MB, no volume written"
done <<LIST
$((64 * GiB)) $((1 * GiB))
$((64 * GiB)) $((7 * GiB))
$((64 * GiB)) $((319 * GiB / 10 / 512 * 512))
$((128 * GiB)) $((100 * MiB))
LIST

for size in $((64 * GiB)) $((2 * 1024 * GiB - MiB)); do
  name="honest $((size / MiB)) MiB"
  sparse_image "$img" "$size"
  "$mkfat32" --check --label HONEST "$img" >"$work/out.txt" 2>&1 || { fail "$name: exit $?"; cat "$work/out.txt"; continue; }
  grep -q '^Probe: .* every place read back right$' "$work/out.txt" || { fail "$name: no probe line"; continue; }
  fsck_clean "$img" HONEST && roundtrip "$img" && pass "$name: probed and formatted" || fail "$name"
done

# le IMAGE OFFSET BYTES: a little-endian field of the boot sector.
le() { od -An -tu"$3" -j "$2" -N "$3" "$1" | tr -d ' '; }

for size in $((300 * MiB)) $((7680 * MiB)) $((64 * GiB)) $((2 * 1024 * GiB - MiB)); do
  for hidden in 0 63 2048; do
    name="--align, $((size / MiB)) MiB, $hidden hidden sectors"
    sparse_image "$img" "$size"
    "$mkfat32" --align --hidden "$hidden" --label ALIGNED "$img" >"$work/out.txt" 2>&1 ||
      { fail "$name: exit $?"; cat "$work/out.txt"; continue; }
    first_data=$(( $(le "$img" 28 4) + $(le "$img" 14 2) + 2 * $(le "$img" 36 4) ))
    [ $((first_data * 512 % (4 * MiB))) -eq 0 ] || { fail "$name: first data sector $first_data"; continue; }
    fsck_clean "$img" ALIGNED && roundtrip "$img" && pass "$name" || fail "$name"
  done
done

# A data region already aligned gets no padding: 300 MiB at 8 sectors per
# cluster has 599-sector FATs, so 6962 hidden sectors put the first data
# sector (6962 + 32 + 2 * 599) on 4 MiB.
sparse_image "$img" $((300 * MiB))
"$mkfat32" --align -c 8 --hidden 6962 "$img" >/dev/null && [ "$(le "$img" 14 2)" = 32 ] &&
  fsck_clean "$img" && roundtrip "$img" && pass "--align on an aligned layout: 32 reserved sectors" ||
  fail "--align on an aligned layout: $(le "$img" 14 2) reserved sectors"

# Without --align the reserved area stays 32 sectors.
sparse_image "$img" $((300 * MiB))
"$mkfat32" --hidden 63 "$img" >/dev/null && [ "$(le "$img" 14 2)" = 32 ] &&
  fsck_clean "$img" && roundtrip "$img" && pass "no --align: 32 reserved sectors" || fail "no --align: $(le "$img" 14 2) reserved sectors"

# Progress goes to a terminal only: redirected, standard error stays empty.
sparse_image "$img" $((300 * MiB))
"$mkfat32" --check "$img" >/dev/null 2>"$work/err.txt" && [ ! -s "$work/err.txt" ] &&
  fsck_clean "$img" && roundtrip "$img" && pass "no progress when standard error is not a terminal" || fail "progress: $(cat "$work/err.txt")"

# On a terminal (script(1) gives it one) each step shows one line that ends at 100 %.
if command -v script >/dev/null; then
  sparse_image "$img" $((300 * MiB))
  script -qec "'$mkfat32' --check '$img'" /dev/null >"$work/tty.txt" 2>&1
  tr '\r' '\n' < "$work/tty.txt" | grep -q '^probe  100%' && tr '\r' '\n' < "$work/tty.txt" | grep -q '^clear  100%' &&
    fsck_clean "$img" && roundtrip "$img" && pass "progress lines on a terminal" || { fail "progress on a terminal"; cat -A "$work/tty.txt"; }
fi

rm -f "$img" "$work/out.txt" "$work/err.txt" "$work/tty.txt" "$work/in.bin" "$work/out.bin"
finish
