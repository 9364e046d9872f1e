#!/usr/bin/env bash
# Refused formats and usage errors leave the image byte for byte as it was.
#   usage: refusals.sh MKFAT32 WORKDIR
. "$(dirname "$0")/lib.sh"
mkfat32=$1 work=$2
mkdir -p "$work"; img="$work/refused.img"

# expect_refusal NAME EXPECTED_EXIT SIZE ARGS...
expect_refusal() {
  local name=$1 expected=$2 size=$3; shift 3
  sparse_image "$img" "$size"
  # Old contents at the start, in the FAT area and near the end.
  printf 'OLD BOOT SECTOR' | dd of="$img" conv=notrunc bs=1 seek=0 2>/dev/null
  printf 'OLD FAT' | dd of="$img" conv=notrunc bs=1 seek=$((40 * 512)) 2>/dev/null
  printf 'OLD DATA' | dd of="$img" conv=notrunc bs=1 seek=$((size - 4096)) 2>/dev/null
  local before; before=$(sha256sum < "$img")
  "$mkfat32" "$@" "$img" >"$work/out.txt" 2>&1; local rc=$?
  if [ "$rc" -ne "$expected" ]; then fail "$name: exit $rc, expected $expected"; cat "$work/out.txt"; return; fi
  [ "$(sha256sum < "$img")" = "$before" ] || { fail "$name: image changed"; return; }
  pass "$name"
}

expect_refusal "100 MiB with 16 sectors per cluster" 7 $((100 * MiB)) -c 16
expect_refusal "128 MiB with -c 16, which stands as given" 7 $((128 * MiB)) -c 16
expect_refusal "31 MiB" 11 $((31 * MiB))
expect_refusal "32.3 MiB: too small for 65,536 clusters at any size" 19 $((66000 * 512))
expect_refusal "30 MiB" 11 $((30 * MiB))
expect_refusal "4096-byte sectors" 2 $((300 * MiB)) --sector-size 4096
expect_refusal "no partition information" 12 $((300 * MiB)) --partition none
expect_refusal "usage: bad cluster size" 64 $((300 * MiB)) -c 3
expect_refusal "usage: unknown option" 64 $((300 * MiB)) --frobnicate
expect_refusal "usage: label without text" 64 $((300 * MiB)) -c 8 --label
grep -q '^usage: mkfat32' "$work/out.txt" && pass "usage text shown" || fail "no usage text"
# Labels FAT readers refuse; in the C locale, bytes that are not UTF-8 either.
expect_refusal "label with '='" 64 $((300 * MiB)) -l "x=y"
expect_refusal "label with a control character" 64 $((300 * MiB)) -l "$(printf 'a\001b')"
grep -q "cannot hold U+0001" "$work/out.txt" && pass "the character is named" || fail "$(cat "$work/out.txt")"
expect_refusal "C locale, a label neither ASCII nor UTF-8" 64 $((300 * MiB)) -l "$(printf 'A\304')"
grep -q "neither ANSI_X3.4-1968, the locale's charset, nor UTF-8" "$work/out.txt" &&
  pass "the locale's charset is named" || fail "$(cat "$work/out.txt")"
LC_ALL=en_US.UTF-8 expect_refusal "UTF-8 locale, a label that is not UTF-8" 64 $((300 * MiB)) -l "$(printf '\304\326x')"
grep -q "the label is not UTF-8, the locale's charset; set LANG" "$work/out.txt" &&
  pass "the UTF-8 locale's charset is named" || fail "$(cat "$work/out.txt")"

# 2 TiB is too large; hashing it would read 2 TiB, so check it stayed a hole.
sparse_image "$img" $((2 * 1024 * 1024 * MiB))
"$mkfat32" "$img" >"$work/out.txt" 2>&1; rc=$?
[ "$rc" -eq 10 ] && [ "$(blocks_of "$img")" -eq 0 ] &&
  [ "$(stat -c %s "$img")" -eq $((2 * 1024 * 1024 * MiB)) ] &&
  pass "2 TiB refused with 10, nothing written" || fail "2 TiB: exit $rc, $(blocks_of "$img") blocks"
grep -qx 'Failure! Device volume more than 2TB not supported!' "$work/out.txt" &&
  pass "2 TiB message" || fail "2 TiB message: $(cat "$work/out.txt")"

# Just over 1 TiB with 8 sectors per cluster would need 268,435,450 clusters,
# past the highest cluster number FAT32 can address: refused with 8.
sparse_image "$img" $((2151677936 * 512))
"$mkfat32" -c 8 "$img" >"$work/out.txt" 2>&1; rc=$?
[ "$rc" -eq 8 ] && [ "$(blocks_of "$img")" -eq 0 ] &&
  grep -qx 'Failure! Device volume no big than 2TB!' "$work/out.txt" &&
  pass "268,435,450 clusters refused with 8, nothing written" ||
  fail "268,435,450 clusters: exit $rc, $(blocks_of "$img") blocks"

# A missing image is an open failure, and is not created.
rm -f "$work/missing.img"
"$mkfat32" "$work/missing.img" >/dev/null 2>&1; rc=$?
[ "$rc" -eq 15 ] && [ ! -e "$work/missing.img" ] && pass "missing image: 15" || fail "missing image: $rc"

"$mkfat32" >/dev/null 2>&1; [ $? -eq 64 ] && pass "no target: 64" || fail "no target"

rm -f "$img" "$work/out.txt"
finish
