#!/usr/bin/env bash
# mkfat32 on loop devices made from this test's own images: partitions of MBR
# and GPT disks, a mounted one, a whole disk with partitions and --mbr on it,
# 4096-byte sectors, the USB check; --mbr on an image file; a table of roads
# where a careless command must lose nothing; labels held to FAT's rule.
# Other programs at work during a run: concurrent_runs.sh.
#   usage: block_devices.sh MKFAT32 WORKDIR   (as root; skipped otherwise)
. "$(dirname "$0")/lib.sh"
mkfat32=$1 work=$2
. "$(dirname "$0")/loop_lib.sh"

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
  grep -q "$p1: mounted on $mnt\$" "$work/out.txt" &&
  pass "in-use message names the mount point" || fail "in-use message: $(cat "$work/out.txt")"
run --force "$disk"; expect "disk of a mounted partition refused" 14
grep -q "$p1 is mounted on $mnt\$" "$work/out.txt" && pass "the disk's refusal names the mounted partition" ||
  fail "disk in use: $(cat "$work/out.txt")"
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

# A GPT partition keeps its type GUID and carries its start as hidden sectors.
img="$work/gpt.img"; sparse_image "$img" $((400 * MiB))
printf 'label: gpt\nstart=2048, size=700000, type=EBD0A0A2-B9E5-4433-87C0-68B6B72699C7\n' | sfdisk -q "$img"
attach "$img"; table=$(sfdisk -d "$dev")
run --force -l GPTVOL "${dev}p1"; expect "GPT partition formatted" 0
[ "$(sfdisk -d "$dev")" = "$table" ] && pass "GPT entry unchanged" || fail "GPT entry changed"
vfat_ok "GPT partition" "${dev}p1" GPTVOL
[ "$(le32 "${dev}p1" $((0x1C)))" = 2048 ] && pass "GPT partition: hidden sectors 2048" || fail "GPT hidden sectors"
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
grep -q "reaches only the first 2 TiB .* the last 1048576 MiB of the disk stay unused" "$work/out.txt" &&
  pass "3 TiB: the unused rest is said" || fail "3 TiB: $(cat "$work/out.txt")"
# --mbr over an image that held a GPT: no header left, primary or backup.
sparse_image "$img" $((300 * MiB)); printf 'label: gpt\nstart=2048, size=100000\n' | sfdisk -q "$img"
run --mbr -l NOGPT "$img"; expect "--mbr on a GPT image" 0
[ "$(wipefs -n "$img" | tail -n +2 | awk '{print $NF}' | sort -u)" = dos ] &&
  [ "$(blkid -p -o value -s PTTYPE "$img")" = dos ] && mdir -i "$img@@1M" :: >/dev/null &&
  pass "GPT image: only the new MBR is found" || fail "GPT image: $(wipefs -n "$img")"

# Roads where a careless command must lose no data and a good one must leave a
# whole volume. One row each: NAME | EXIT | SETUP | WRAPPER | ARGUMENTS |
# CHECK. SETUP makes this road's disk ($disk, partitions $p1 $p2) and the
# checksum $before; the WRAPPER runs mkfat32 where the road needs one (strace
# to fail a call, setpriv to drop root); CHECK judges what is left.
be32() { printf "$(printf '\\%03o' $(($1 >> 24 & 255)) $(($1 >> 16 & 255)) $(($1 >> 8 & 255)) $(($1 & 255)))"; }
apple_map() {  # an Apple partition map, which libfdisk cannot read
  sparse_image "$img" $((64 * MiB))
  { printf 'ER\2\0'; be32 $((64 * 2048)); } | dd of="$img" conv=notrunc status=none
  set -- 1 1 3 Apple_partition_map 2 2048 40960 Apple_HFS 3 43008 40960 Apple_UNIX_SVR2
  while [ $# -gt 0 ]; do
    { printf 'PM\0\0'; be32 3; be32 "$2"; be32 "$3"; printf '%-32s%-32s' "part$1" "$4" | tr ' ' '\0'; } |
      dd of="$img" bs=512 seek="$1" conv=notrunc status=none; shift 4
  done
  [ "$(blkid -p -o value -s PTTYPE "$img")" = mac ] || return 1
  disk_of; partx -d "$disk"  # as a kernel without a parser for it would
}
addpart_only() {  # no table at all: the kernel was given a partition by hand
  sparse_image "$img" $((300 * MiB)); disk_of; addpart "$disk" 1 2048 40960
}
read_only() { sparse_image "$img" $((300 * MiB)); mkfs.ext4 -q -F "$img"; attach "$img" -r; disk=$dev; before=$(sum "$disk"); }
held_p2() { two_partitions; exec 9<"$p2"; }
owned_by_nobody() { sparse_image "$img" $((300 * MiB)); disk_of; chown nobody "$disk"; }
rewritten() {  # the table moved p1 on the disk without telling the kernel
  two_partitions
  printf 'label: dos\nstart=4096, size=300000, type=83\nstart=305000, size=190000, type=83\n' |
    sfdisk -q --no-reread --no-tell-kernel "$disk"; before=$(sum "$disk")
}
grown_p1() {  # the kernel's p1 reaches over p2, as a stale addpart leaves it
  sparse_image "$img" $((600 * MiB))
  printf 'label: dos\nstart=2048, size=200000, type=83\nstart=204800, size=300000, type=83\n' |
    sfdisk -q "$img"; disk_of; delpart "$disk" 1; delpart "$disk" 2; addpart "$disk" 1 2048 1046528
}
# shrink_meanwhile MKFAT32 ARGS: sfdisk without --lock (util-linux's default)
# and resizepart shrink p1 to 100000 sectors while the run waits in fsync.
shrink_meanwhile() {
  ( sleep 0.5; echo 'start=2048, size=100000' | sfdisk -q --no-reread -N 1 "$disk" >/dev/null 2>&1
    resizepart "$disk" 1 100000 ) & local shrinker=$!
  strace -f -o /dev/null -e trace=fsync -e inject=fsync:delay_enter=1000000 "$@"; local code=$?
  wait "$shrinker"; return "$code"
}
vanish_meanwhile() {  # another holder of the lock deletes p1 while the run waits for it
  rm -f "$work/held"; flock -x "$disk" -c "touch '$work/held'; sleep 1; delpart '$disk' 1" & local holder=$!
  while [ ! -e "$work/held" ]; do sleep 0.05; done
  "$@"; local code=$?; wait "$holder"; return "$code"
}
far_gpt() {  # a partition starting past sector 2^32
  sparse_image "$img" $((3 * 1024 * 1024 * MiB))
  printf 'label: gpt\nstart=4294969344, size=600000\n' | sfdisk -q "$img"; disk_of
}
formatted_disk() {  # a whole disk holding our own earlier volume, and nothing else
  sparse_image "$img" $((300 * MiB)); disk_of; "$mkfat32" --force "$disk" >/dev/null
}
last_ioctl_busy() {  # $last: the number of the ioctl that tells the kernel the new partition
  two_partitions; strace -f -o "$work/trace" -e trace=ioctl "$mkfat32" --mbr --force "$disk" >/dev/null 2>&1
  last=$(grep 'ioctl(' "$work/trace" | grep -n BLKPG_ADD_PARTITION | cut -d: -f1)
  [ -n "$last" ] && fresh && two_partitions
}
empty_gpt() { sparse_image "$img" $((300 * MiB)); printf 'label: gpt\n' | sfdisk -q "$img"; disk_of; }
owned_p1() { two_partitions; chown nobody "$p1"; }
locked_by_other() { two_partitions; exec 7<"$disk"; flock -x 7; }  # as sfdisk --lock holds it
swap_p1() { two_partitions; mkswap -q "$p1" 2>/dev/null; swapon "$p1" 2>/dev/null; before=$(sum "$disk"); }
four_k_table() {  # partitions counted in 4096-byte sectors
  sparse_image "$img" $((300 * MiB)); attach "$img" -b 4096; disk=$dev
  printf 'label: dos\nstart=256, size=20000, type=83\nsize=20000, type=83\n' | sfdisk -q "$disk"
  partx -a "$disk" 2>/dev/null; before=$(sum "$disk"); parts=$(sysfs_parts); [ -n "$parts" ]
}
small_table() {
  sparse_image "$img" $((20 * MiB)); printf 'label: dos\nstart=2048, type=83\n' | sfdisk -q "$img"
  disk_of; parts=$(sysfs_parts); [ -n "$parts" ]
}

held_refused() {
  exec 9<&-; refused "$1" "its partition $p2 is in use (open in another program"
  [ -b "$p1" ] && [ -e "/sys/class/block/${p2#/dev/}" ] && pass "$1: the kernel keeps p1 and p2" || fail "$1: partitions"
}
stray_refused() {
  refused "$1" "the kernel has this partition at $2, but no entry of $disk's partition table has that extent ($3)"
  says "$1" "partx -u $disk"
}
far_volume() {
  [ "$(le32 "$p1" $((0x1C)))" = 0 ] && pass "$1: hidden sectors 0" || fail "$1: hidden $(le32 "$p1" $((0x1C)))"
  says "$1" "past sector 2^32"; vfat_ok "$1" "$p1" FAR
}
no_gpt_left() {
  [ -z "$(wipefs -n "$disk" | grep -e gpt -e PMBR)" ] && [ -z "$(blkid -p -o value -s PTTYPE "$disk")" ] &&
    pass "$1: no GPT signature left" || fail "$1: $(wipefs -n "$disk")"
  vfat_ok "$1" "$disk" NOGPT
}
whole_volume() { vfat_ok "$1" "$disk" "$2"; }
partition_checked() {
  sole_partition "$1"; vfat_ok "$1" "$p1" BUSY
  grep -q BLKRRPART "$work/busy.trace" && fail "$1: BLKRRPART after the EBUSY" || pass "$1: compared, not re-read"
}
flush_failed() { says "$1" "writing failed: Input/output error"; }
type_kept() {
  sfdisk -d "$disk" | grep -q "^$p1 : .*type=83$" && pass "$1: type 83 kept" || fail "$1: $(sfdisk -d "$disk")"
  vfat_ok "$1" "$p1" "$2"
}
lock_refused() { exec 7<&-; refused "$1" "another program holds the lock on $disk"; }
unlocked_run() { exec 7<&-; vfat_ok "$1" "$p1" NOLOCK; }
swap_refused() { swapoff "$p1"; refused "$1" "$p1 is in use as swap"; }
kernel_kept() {
  [ "$(sysfs_parts)" = "$parts" ] && pass "$1: the kernel's partitions as they were" || fail "$1: $(sysfs_parts)"
  refused "$1" "$2"
}

img="$work/road.img"; inject_fsync="strace -f -o /dev/null -e trace=fsync -e inject=fsync:error=EIO:when=3+"
while IFS='|' read -r name code setup wrapper arguments check; do
  fresh; $setup || { fail "$name: setup"; continue; }
  eval "$wrapper \"\$mkfat32\" $arguments" >"$work/out.txt" 2>&1 </dev/null; rc=$?
  expect "$name" "$code"; eval "set -- $check"; judge=$1; shift; "$judge" "$name" "$@"
done <<'ROWS'
Apple map on the whole disk|65|apple_map||--force $disk|refused "a mac table with 3 partition(s) the kernel does not show"
addpart-only partition on the whole disk|65|addpart_only||--force $disk|refused "holding partitions (${disk}p1)"
read-only device|15|read_only||--force $disk|refused "$disk: the device is read-only; nothing was written"
character device|64|true||--force /dev/zero|says "neither a block device nor an image file"
--mbr given a partition|64|two_partitions||--mbr --force $p1|refused "give $disk, not its partition"
image option on a device|64|two_partitions||--force --hidden 8 $p1|refused "are for image files"
fake capacity on a device|64|two_partitions||--force --fake-capacity 100M $p1|refused "are for image files"
--mbr with p2 held open|14|held_p2||--mbr --force $disk|held_refused
table rewritten behind the kernel's back|15|rewritten||--force -l MOVED $p1|stray_refused "sector 2048, 300000 sectors" "its entry 1 is at sector 4096, 300000 sectors"
kernel's p1 larger than its entry|15|grown_p1||--force $p1|stray_refused "sector 2048, 1046528 sectors" "its entry 1 is at sector 2048, 200000 sectors"
kernel's p1 larger than its entry, --keep-type|15|grown_p1||--keep-type --force $p1|stray_refused "sector 2048, 1046528 sectors" "its entry 1 is at sector 2048, 200000 sectors"
p1 shrunk mid-run by sfdisk without --lock|5|two_partitions|shrink_meanwhile|--force $p1|says "${p1#/dev/}'s start and size any more"
the same, --keep-type|12|two_partitions|shrink_meanwhile|--keep-type --force $p1|says "the volume holds 300000 sectors, the kernel's partition now 100000, its entry holds 100000"
partition past sector 2^32|0|far_gpt||--force -l FAR $p1|far_volume
whole disk over an old GPT|0|empty_gpt||--force -l NOGPT $disk|no_gpt_left
non-root owner of the device|0|owned_by_nobody|setpriv --reuid=nobody --regid=nogroup --clear-groups|--force -l USER $disk|whole_volume USER
whole disk holding our own volume|0|formatted_disk||--force -l AGAIN $disk|whole_volume AGAIN
EBUSY from the kernel proves nothing|0|last_ioctl_busy|strace -f -o $work/busy.trace -e trace=ioctl -e inject=ioctl:error=EBUSY:when=$last|--mbr --force -l BUSY $disk|partition_checked
non-root owner of p1 only|15|owned_p1|setpriv --reuid=nobody --regid=nogroup --clear-groups|--force -l USER $p1|refused "Run as root, or give --lock=no --keep-type"
owner of p1 only, unlocked|15|owned_p1|setpriv --reuid=nobody --regid=nogroup --clear-groups|--lock=no --force -l USER $p1|refused "type could not be set to FAT32 (0x0C).*give --keep-type"
owner of p1 only, --keep-type|0|owned_p1|setpriv --reuid=nobody --regid=nogroup --clear-groups|--lock=no --keep-type --force -l KEPT $p1|type_kept KEPT
swap partition|14|swap_p1||--force $p1|swap_refused
disk locked by another, --lock=nonblock|14|locked_by_other||--lock=nonblock --force $p1|lock_refused
LOCK_BLOCK_DEVICE=nonblock|14|locked_by_other|env LOCK_BLOCK_DEVICE=nonblock|--force $p1|lock_refused
LOCK_BLOCK_DEVICE=NonBlock, any case|14|locked_by_other|env LOCK_BLOCK_DEVICE=NonBlock|--force $p1|lock_refused
p1 deleted while the run waits for the lock|15|two_partitions|vanish_meanwhile|--force $p1|refused "is gone (No such device or address): the disk's partitions changed while mkfat32 waited"
LOCK_BLOCK_DEVICE=no|0|locked_by_other|env LOCK_BLOCK_DEVICE=no|--force -l NOLOCK $p1|unlocked_run
LOCK_BLOCK_DEVICE=maybe|64|two_partitions|env LOCK_BLOCK_DEVICE=maybe|--force $p1|refused "LOCK_BLOCK_DEVICE=maybe is none of yes, no, nonblock"
EIO on the table write|16|two_partitions|strace -f -o /dev/null -e trace=write -e inject=write:error=EIO:when=1|--mbr --force $disk|says "the new partition table could not be written: Input/output error"
--mbr on 4096-byte sectors|2|four_k_table||--mbr --force $disk|kernel_kept "logical sectors are 4096 bytes"
--mbr on a disk too small|11|small_table||--mbr --force $disk|kernel_kept "less than 32MB"
flush failing at the end|16|two_partitions|$inject_fsync|--force $p1|flush_failed
ROWS

# Labels, held to FAT's rule: a forbidden character is refused (64, nothing
# written); an accepted label is stored uppercase; blanks only are no label;
# in the C locale, UTF-8 text is decoded as UTF-8 (Ä is 0x8E in code page
# 850); --codepage 65001 stores UTF-8.
label_hex() {  # the root directory's label entry name, in hex
  local root=$(( $(od -An -tu2 -j 14 -N 2 "$p1" | tr -d ' ') + 2 * $(le32 "$p1" 36) ))
  od -An -tx1 -j $((root * 512)) -N 11 "$p1" | tr -d ' \n'
}
fresh; two_partitions; whole=$(sum "$disk")
for label in 'A*B?C.D' 'x,y;z:w' 'a/b\c|d' 'p+q=r<s>' '[x]"y"' ' lead' "$(printf 'a\tb')"; do
  run --force -l "$label" "$p1"; expect "label '$label'" 64
  grep -q "cannot hold" "$work/out.txt" && [ "$(sum "$disk")" = "$whole" ] &&
    pass "label '$label': refused, nothing written" || fail "label '$label': $(cat "$work/out.txt")"
done
# LABEL | OPTIONS | what mlabel shows | the boot sector's label | the entry's bytes
while IFS='|' read -r label options shown boot hex; do
  eval "run --force $options -l \"\$label\" \"\$p1\""; expect "label '$label'" 0
  if [ -n "$hex" ]; then
    [ "$(label_hex)" = "$hex" ] && fsck_clean "$p1" "" foreign && roundtrip "$p1" "$work" &&
      pass "label '$label' stored as $hex" || fail "label '$label': bytes $(label_hex)"
  else
    [ "$(label_of "$p1")" = "$shown" ] && fsck_clean "$p1" "$boot" && roundtrip "$p1" "$work" &&
      pass "label '$label' shown as '$shown'" || fail "label '$label': $(label_of "$p1")"
  fi
done <<'LABELS'
photos||PHOTOS|PHOTOS|
Mixed Case||MIXED CASE|MIXED CASE|
   || Volume has no label|NO NAME|
Äbc||||8e42432020202020202020
é|--codepage 65001|||c389202020202020202020
LABELS
fresh

rm -f "$work"/*.img "$work/out.txt" "$work/in.bin" "$work/out.bin"
finish
