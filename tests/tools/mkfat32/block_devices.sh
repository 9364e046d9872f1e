#!/usr/bin/env bash
# mkfat32 on loop devices made from this test's own images, always detached:
# partitions of MBR and GPT disks, a mounted one, a whole disk with partitions
# and --mbr on it, 4096-byte sectors, the USB check; --mbr on an image file.
#   usage: block_devices.sh MKFAT32 WORKDIR   (as root; skipped otherwise)
. "$(dirname "$0")/lib.sh"
mkfat32=$1 work=$2
[ "$(id -u)" -eq 0 ] || { echo "skip: loop devices need root"; exit 77; }
mkdir -p "$work"; mnt="$work/mnt"; mkdir -p "$mnt"
loops=()
cleanup() {
  mountpoint -q "$mnt" && umount "$mnt"
  for loop in "${loops[@]}"; do losetup -d "$loop"; done
}
trap cleanup EXIT
trap "exit 1" INT TERM HUP  # a killed run detaches too

# attach IMAGE [LOSETUP OPTIONS]: sets $dev to a new loop device with its
# partition nodes (this kernel may leave the scan to partx).
attach() {
  dev=$(losetup -f --show -P "$@") || { fail "losetup $*"; finish; }
  loops+=("$dev")
  partx -a "$dev" 2>/dev/null
  for _ in $(seq 50); do
    { [ -b "${dev}p1" ] || [ -z "$(partx -g "$dev" 2>/dev/null)" ]; } && break; sleep 0.1
  done
}
sum() { sha256sum < "$1"; }
le32() { od -An -tu4 -j "$2" -N 4 "$1" | tr -d ' '; }
run() { "$mkfat32" "$@" >"$work/out.txt" 2>&1; rc=$?; }
# expect NAME EXPECTED_EXIT: the last run's exit code.
expect() { [ "$rc" -eq "$2" ] && pass "$1" || { fail "$1: exit $rc, expected $2"; cat "$work/out.txt"; }; }
# vfat_ok NAME DEVICE LABEL: blkid, fsck.fat and an mtools round trip agree.
vfat_ok() {
  [ "$(blkid -p -o value -s TYPE "$2")" = vfat ] && [ "$(blkid -p -o value -s LABEL "$2")" = "$3" ] &&
    fsck_clean "$2" "$3" && roundtrip "$2" "$work" && pass "$1: vfat, fsck clean, mtools" || fail "$1: volume"
}

# An MBR disk: p1, p2 holding ext4, and a logical p5 in the extended p3.
img="$work/mbr.img"; sparse_image "$img" $((700 * MiB))
printf 'label: dos\nstart=2048, size=540000, type=83\nsize=40960, type=83\ntype=5\ntype=83\n' |
  sfdisk -q "$img"
attach "$img"; disk=$dev; p1=${dev}p1; p2=${dev}p2; p5=${dev}p5
mkfs.ext4 -q -F "$p2"; p2sum=$(sum "$p2"); p1sum=$(sum "$p1")
run -l STICK "$p1"; expect "loop partition without --force refused" 65
[ "$(sum "$p1")" = "$p1sum" ] && pass "refused partition untouched" || fail "refused partition changed"
for part in "$p1" "$p5"; do
  run --force -l STICK "$part"; expect "MBR partition $part formatted" 0
  sfdisk -d "$disk" | grep -q "^$part : .*, type=c$" && pass "$part is type c" ||
    fail "$part type: $(sfdisk -d "$disk")"
  [ "$(le32 "$part" $((0x1C)))" = "$(cat "/sys/class/block/${part#/dev/}/start")" ] &&
    pass "hidden sectors = $part's start" || fail "hidden sectors $(le32 "$part" $((0x1C)))"
  vfat_ok "$part" "$part" STICK
done
[ "$(sum "$p2")" = "$p2sum" ] && pass "p2 unchanged" || fail "p2 changed"

# The same partition holding a mounted ext4 is in use; it comes through whole.
mkfs.ext4 -q -F "$p1"; mount "$p1" "$mnt"
run --force "$p1"; expect "mounted partition refused" 14
grep -q "is in use (mounted or held by another program); unmount it first" "$work/out.txt" &&
  pass "in-use message" || fail "in-use message: $(cat "$work/out.txt")"
umount "$mnt"
fsck.ext4 -n "$p1" >/dev/null 2>&1 && pass "ext4 clean after the refusal" || fail "ext4 damaged"

# The whole disk: refused while it holds partitions, --force or not; --mbr
# replaces the table.
table=$(sfdisk -d "$disk")
run --force "$disk"; expect "whole disk with partitions refused with --force" 65
grep -q "holding partitions ($p1, $p2, ${dev}p3, $p5).*--mbr" "$work/out.txt" && pass "message names them" ||
  fail "message: $(cat "$work/out.txt")"
[ "$(sfdisk -d "$disk")" = "$table" ] && pass "table unchanged" || fail "table changed"
run --mbr --force -l WHOLE "$disk"; expect "--mbr on the whole disk" 0
[ "$(sfdisk -d "$disk" | grep -c "^$disk")" = 1 ] &&
  sfdisk -d "$disk" | grep -q "^$p1 : start= *2048, size= *$((700 * 2048 - 2048)), type=c$" &&
  pass "one type-c partition from 2048 to the end" || fail "new table: $(sfdisk -d "$disk")"
[ -b "$p1" ] && [ ! -e "$p2" ] && pass "$p1 appears, $p2 is gone" || fail "partition nodes"
vfat_ok "new partition" "$p1" WHOLE

# A GPT partition keeps its type GUID.
img="$work/gpt.img"; sparse_image "$img" $((400 * MiB))
printf 'label: gpt\nstart=2048, size=700000, type=EBD0A0A2-B9E5-4433-87C0-68B6B72699C7\n' | sfdisk -q "$img"
attach "$img"; table=$(sfdisk -d "$dev")
run --force -l GPTVOL "${dev}p1"; expect "GPT partition formatted" 0
[ "$(sfdisk -d "$dev")" = "$table" ] && pass "GPT entry unchanged" || fail "GPT entry changed"
vfat_ok "GPT partition" "${dev}p1" GPTVOL
run --mbr --force "$dev"; expect "--mbr over the GPT disk" 0
[ "$(wipefs -n "$dev" | grep -c -e gpt -e dos)" = 1 ] && wipefs -n "$dev" | grep -q dos &&
  pass "no GPT header left beside the new MBR" || fail "after --mbr: $(wipefs -n "$dev")"

# 4096-byte logical sectors.
img="$work/4k.img"; sparse_image "$img" $((300 * MiB))
attach "$img" -b 4096; before=$(sum "$dev")
run --force "$dev"; expect "4096-byte sectors refused" 2
[ "$(sum "$dev")" = "$before" ] && pass "4096-byte device untouched" || fail "4096-byte device changed"

# --mbr on an image file: the partition checked through a loop device at
# 1 MiB and through mtools' offset syntax.
img="$work/image-mbr.img"; sparse_image "$img" $((300 * MiB))
run --mbr -l IMAGE "$img"; expect "--mbr on an image" 0
sfdisk -d "$img" | grep -q "^${img}1 : start= *2048, size= *$((300 * 2048 - 2048)), type=c$" &&
  pass "image: one type-c partition at 2048" || fail "image table: $(sfdisk -d "$img")"
attach "$img" -o "$MiB"
fsck_clean "$dev" IMAGE && pass "image partition: fsck clean" || fail "image partition: fsck"
mdir -i "$img@@1M" :: | grep -q 'Volume in drive : is IMAGE' && roundtrip "$img@@1M" &&
  pass "image partition: mtools" || fail "image partition: mtools"

# A refused --mbr keeps the old table; past 2 TiB the partition ends by
# sector 2^32, where an MBR entry stops and the volume still fits FAT32.
sparse_image "$img" $((20 * MiB)); printf 'label: dos\nstart=2048, type=83\n' | sfdisk -q "$img"
before=$(sum "$img"); run --mbr "$img"; expect "--mbr on 20 MiB refused" 11
[ "$(sum "$img")" = "$before" ] && pass "refused: old table kept" || fail "refused: image changed"
sparse_image "$img" $((3 * 1024 * 1024 * MiB))
run --mbr "$img"; expect "--mbr on 3 TiB" 0
sfdisk -d "$img" | grep -q "^${img}1 : start= *2048, size= *$((4294967296 - 2048)), type=c$" &&
  mdir -i "$img@@1M" :: >/dev/null && pass "3 TiB: the partition ends at sector 2^32" || fail "3 TiB table: $(sfdisk -d "$img")"

rm -f "$work"/*.img "$work/out.txt" "$work/in.bin" "$work/out.bin"
finish
