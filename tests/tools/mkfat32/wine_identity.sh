#!/usr/bin/env bash
# The Windows build of mkfat32, run under Wine, writes the same image as the
# native build but for the serial number (4 bytes at 0x43 of sectors 0 and 6).
#   usage: wine_identity.sh WINE_RUN MKFAT32_EXE NATIVE_MKFAT32 WORKDIR
. "$(dirname "$0")/lib.sh"
wine_run=$1 exe=$2 native=$3 work=$4
mkdir -p "$work"

serial_offsets=" $((0x43 + 1)) $((0x44 + 1)) $((0x45 + 1)) $((0x46 + 1)) \
$((6 * 512 + 0x43 + 1)) $((6 * 512 + 0x44 + 1)) $((6 * 512 + 0x45 + 1)) $((6 * 512 + 0x46 + 1)) "

for size in $((300 * MiB)) $((7680 * MiB)); do
  for args in "--label TESTVOL" "-c 4 --hidden 2048 --label Mixed_Case" "--align --hidden 63 --label Aligned"; do
    name="$((size / MiB)) MiB, $args"
    sparse_image "$work/native.img" "$size"
    sparse_image "$work/wine.img" "$size"
    # shellcheck disable=SC2086
    "$native" $args "$work/native.img" >/dev/null || { fail "$name: native run"; continue; }
    # shellcheck disable=SC2086
    "$wine_run" "$exe" $args "Z:$work/wine.img" >"$work/wine.out" 2>&1 ||
      { fail "$name: wine run exited $?"; cat "$work/wine.out"; continue; }
    tr -d '\r' < "$work/wine.out" | grep -qx 'Formation complete!' || { fail "$name: no result message"; continue; }
    # Everything written lies in the first 64 MiB; past it both must be holes
    # still (equal allocation), which is cheaper to check than reading GiBs of zeros.
    [ "$(blocks_of "$work/native.img")" = "$(blocks_of "$work/wine.img")" ] ||
      { fail "$name: allocated blocks differ"; continue; }
    diffs=$(cmp -l -n $((64 * MiB)) "$work/native.img" "$work/wine.img" | awk '{print $1}')
    others=""
    for offset in $diffs; do
      case "$serial_offsets" in *" $offset "*) ;; *) others="$others $offset";; esac
    done
    [ -z "$others" ] && pass "$name" || fail "$name: bytes differ at$others"
  done
done
# The probe of the Windows build refuses a counterfeit (addresses wrapping at
# 1 GiB of 64 GiB) with 17 and names its size, like the native one.
sparse_image "$work/wine.img" $((64 * 1024 * MiB))
"$wine_run" "$exe" --check --fake-capacity 1G "Z:$work/wine.img" >"$work/wine.out" 2>&1; rc=$?
[ "$rc" -eq 17 ] && tr -d '\r' < "$work/wine.out" | grep -q '^Failure! The device holds only about 1024 MB' &&
  pass "probe under Wine: counterfeit refused with 17" || { fail "probe under Wine: exit $rc"; cat "$work/wine.out"; }

rm -f "$work/native.img" "$work/wine.img" "$work/wine.out"
finish
