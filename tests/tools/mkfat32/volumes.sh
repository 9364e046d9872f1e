#!/usr/bin/env bash
# Formats sparse images from 300 MiB to 2 TiB - 1 MiB with mkfat32 and checks
# each with fsck.fat and mtools.   usage: volumes.sh MKFAT32 WORKDIR
. "$(dirname "$0")/lib.sh"
mkfat32=$1 work=$2
mkdir -p "$work"; img="$work/volume.img"

for size in $((300 * MiB)) $((7680 * MiB)) $((32 * 1024 * MiB)) $((256 * 1024 * MiB)) \
            $((2 * 1024 * 1024 * MiB - MiB)); do
  name="$((size / MiB)) MiB"
  sparse_image "$img" "$size"
  if ! out=$("$mkfat32" --label TESTVOL "$img" 2>&1); then
    fail "$name: mkfat32 exited $?: $out"; continue
  fi
  fsck_clean "$img" TESTVOL || { fail "$name: fsck.fat"; continue; }
  roundtrip "$img" || { fail "$name: 1 MiB file did not read back"; continue; }
  [ "$(label_of "$img")" = TESTVOL ] || { fail "$name: mlabel shows '$(label_of "$img")'"; continue; }
  mdir -i "$img" :: | grep -q 'Volume in drive : is TESTVOL' || { fail "$name: mdir label"; continue; }
  fsck_clean "$img" TESTVOL || { fail "$name: fsck.fat after the copy"; continue; }
  pass "$name"
done

# An unlabelled volume passes fsck.fat without a single remark.
sparse_image "$img" $((300 * MiB))
"$mkfat32" "$img" >/dev/null && fsck_clean "$img" &&
  mlabel -s -i "$img" :: | grep -q 'Volume has no label' &&
  pass "unlabelled volume" || fail "unlabelled volume"

# A lower-case, long label is kept as typed and cut to 11 bytes.
sparse_image "$img" $((300 * MiB))
"$mkfat32" --label "camera roll 2026" "$img" >/dev/null 2>&1
[ "$(dd if="$img" bs=1 skip=$(( (32 + 2 * 599) * 512 )) count=11 2>/dev/null)" = "camera roll" ] &&
  pass "long label cut to 11 bytes" || fail "long label"

rm -f "$img" "$work/in.bin" "$work/out.bin"
finish
