#!/usr/bin/env bash
# Formats sparse images from 300 MiB to 2 TiB - 1 MiB with mkfat32 and checks
# each with fsck.fat and mtools.   usage: volumes.sh MKFAT32 WORKDIR
. "$(dirname "$0")/lib.sh"
mkfat32=$1 work=$2
mkdir -p "$work"; img="$work/volume.img"

# 506, 9,216, 18,411 and 36,813 MiB are sizes where the bare FAT formula left
# the last cluster without an entry, one per cluster size the policy picks
# (8, 16, 32 and 64 sectors). 40, 128 and 255 MiB are sticks too small for the
# policy's cluster size, which a smaller one must serve.
for size in $((40 * MiB)) $((128 * MiB)) $((255 * MiB)) $((300 * MiB)) $((7680 * MiB)) $((32 * 1024 * MiB)) $((256 * 1024 * MiB)) \
            $((2 * 1024 * 1024 * MiB - MiB)) \
            $((506 * MiB)) $((9216 * MiB)) $((18411 * MiB)) $((36813 * MiB)); do
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

# A lower-case, long label is stored uppercase, as Windows stores it, and cut
# to 11 bytes.
sparse_image "$img" $((300 * MiB))
"$mkfat32" --label "camera roll 2026" "$img" >/dev/null 2>&1
[ "$(dd if="$img" bs=1 skip=$(( (32 + 2 * 599) * 512 )) count=11 2>/dev/null)" = "CAMERA ROLL" ] &&
  pass "long label cut to 11 bytes" || fail "long label"

# Labels typed in a UTF-8 locale are stored in an OEM code page, as Windows
# reads them: LABEL, --codepage (or "" for 850), the bytes in the boot
# sector, what mlabel shows (code page 850, mtools' default; "" for a page
# mtools would show otherwise), a warning or "". Letters are uppercased alike
# on every system, by code point: ÿ has its capital in Latin Extended-A, ß, µ,
# ı and ſ have none of their own, final ς is Σ.
while IFS='|' read -r label codepage bytes shown warning; do
  sparse_image "$img" $((300 * MiB))
  LC_ALL=en_US.UTF-8 "$mkfat32" ${codepage:+--codepage "$codepage"} -l "$label" "$img" >"$work/out.txt" 2>&1
  got=$(od -An -tx1 -j $((0x47)) -N 11 "$img" | tr -d ' \n') ok=1 foreign=
  printf '%s' "$got" | grep -q '^\(..\)*[89a-f]' && foreign=foreign
  [ "$got" = "$bytes" ] || ok=0
  [ -z "$shown" ] || [ "$(LC_ALL=en_US.UTF-8 label_of "$img")" = "$shown" ] || ok=0
  [ -z "$warning" ] || grep -q "$warning" "$work/out.txt" || ok=0
  grep -q 'Formation complete' "$work/out.txt" && fsck_clean "$img" "$shown" $foreign >/dev/null || ok=0
  [ "$ok" = 1 ] && pass "label '$label' ${codepage:+in $codepage }stored as $got" ||
    { fail "label '$label': bytes $got, shown '$(LC_ALL=en_US.UTF-8 label_of "$img")'"; cat "$work/out.txt"; }
done <<'ROWS'
Müll||4d9a4c4c20202020202020|MÜLL|
MÜLL|437|4d9a4c4c20202020202020|MÜLL|
AØB|437|415f422020202020202020|A_B|lacks a character
A中B||415f422020202020202020|A_B|lacks a character
AØB||419d422020202020202020|AØB|
ÉÉÉÉÉÉÉÉÉÉÉÉ||9090909090909090909090|ÉÉÉÉÉÉÉÉÉÉÉ|cut to 11 bytes
łňž|852|9dd5a62020202020202020||
ÿßµ|65001|c5b8c39fc2b52020202020||
ωςя|65001|cea9cea3d0af2020202020||
ёıſ|65001|d081c4b1c5bf2020202020||
ROWS

# le32 IMAGE OFFSET: the little-endian 32-bit value at a byte offset.
le32() { od -An -tu4 -j "$2" -N 4 "$1" | tr -d ' '; }

# 128 sectors per cluster is a size the user may ask for; a partition that
# starts beyond sector 65,535 keeps its whole hidden-sector count.
sparse_image "$img" $((8 * 1024 * MiB))
if "$mkfat32" -c 128 --hidden 70000 --label BIGCLUSTER "$img" >/dev/null && fsck_clean "$img" BIGCLUSTER &&
   roundtrip "$img" && [ "$(od -An -tu1 -j 13 -N 1 "$img" | tr -d ' ')" = 128 ] &&
   [ "$(le32 "$img" $((0x1C)))" = 70000 ]; then
  pass "128 sectors per cluster, 70,000 hidden sectors"
else
  fail "128 sectors per cluster, 70,000 hidden sectors"
fi

# The most clusters FAT32 can address (0x0FFFFFF5, 8 sectors each): the root
# directory lies past 2 GiB, so every offset must travel in 64 bits.
# fsck.fat 4.2 crashes on any volume this large (on mkfs.fat's own as well),
# so mtools and the boot sector's own numbers are the check here.
sparse_image "$img" $((2151677903 * 512))
if "$mkfat32" -c 8 --label MAXCLUSTERS "$img" >/dev/null &&
   [ "$(le32 "$img" $((512 + 0x1E8)))" = $((0x0FFFFFF5 - 1)) ] &&
   [ "$(le32 "$img" $((0x24)))" = 2097152 ] && [ "$(label_of "$img")" = MAXCLUSTERS ] &&
   roundtrip "$img"; then
  pass "0x0FFFFFF5 clusters, root directory past 2 GiB"
else
  fail "0x0FFFFFF5 clusters"
fi

rm -f "$img" "$work/in.bin" "$work/out.bin"
finish
