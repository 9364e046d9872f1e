#!/usr/bin/env bash
# mkfat32 on loop devices while other programs work on the same disk: a link
# switched under the run, --mbr racing a second run and cut at each write,
# the disk's lock seen from outside, two runs at once, sfdisk --lock and partx
# during a run, a device turned read-only mid-run.
#   usage: concurrent_runs.sh MKFAT32 WORKDIR   (as root; skipped otherwise)
. "$(dirname "$0")/lib.sh"
mkfat32=$1 work=$2
. "$(dirname "$0")/loop_lib.sh"

# The path is resolved once: a link switched during the lock retries from a
# mounted partition to another disk leaves that disk untouched.
fresh; two_partitions; mkfs.ext4 -q -F "$p1"; mount "$p1" "$mnt"; ln -sfn "$p1" "$work/link"
sparse_image "$work/other.img" $((300 * MiB)); img="$work/other.img"; disk_of; img="$work/road.img"
"$mkfat32" --force "$work/link" >"$work/out.txt" 2>&1 & runner=$!
sleep 1; ln -sfn "$disk" "$work/link"; wait "$runner"; rc=$?; umount "$mnt"
expect "link switched during the retries" 14; untouched "link switched during the retries"

# --mbr takes the old partitions from the kernel before its first write, held
# back here by strace: a second run on the old p1 meanwhile cannot open it.
fresh; two_partitions
strace -f -o /dev/null -e trace=pwrite64 -e inject=pwrite64:delay_enter=2000000:when=1 \
  "$mkfat32" --mbr --force -l NEWMBR "$disk" >"$work/out.txt" 2>&1 & runner=$!
for _ in $(seq 100); do [ -e "/sys/class/block/${p1#/dev/}" ] || break; sleep 0.05; done
"$mkfat32" --force "$p1" >"$work/second.txt" 2>&1; second=$?
wait "$runner"; rc=$?; expect "--mbr with a second run on the old p1" 0
[ "$second" -eq 15 ] && pass "the second run cannot open the old p1" || { fail "second run: exit $second"; cat "$work/second.txt"; }
vfat_ok "--mbr after the second run" "$p1" NEWMBR

# --mbr cut at each of its writes in turn (strace kills it there: pwrite64 for
# the volume, write for libfdisk's table): never an old entry over a written
# disk, never a partition blkid calls vfat that fsck.fat refuses.
for cut in pwrite64:{1..19} write:1; do
  fresh; two_partitions; mkfs.fat -F 32 -n OLDVOL "$p1" >/dev/null; before=$(sum "$disk"); table=$(sfdisk -d "$disk")
  ( strace -f -o /dev/null -e trace="${cut%:*}" -e inject="${cut%:*}":signal=KILL:when="${cut#*:}" \
    "$mkfat32" --mbr --force -l NEWMBR "$disk" >"$work/out.txt" 2>&1; true ) 2>/dev/null
  blockdev --rereadpt "$disk"; partx -a "$disk" 2>/dev/null; sleep 0.2
  if [ "$(sfdisk -d "$disk" 2>/dev/null)" = "$table" ]; then untouched "cut at $cut, old table"; continue; fi
  for node in $(lsblk -lnpo NAME "$disk" | tail -n +2); do
    [ "$(blkid -p -o value -s TYPE "$node")" != vfat ] || fsck_clean "$node" NEWMBR >/dev/null ||
      fail "cut at $cut: $node is vfat but broken"
  done
  pass "cut at $cut: no old entry, no broken vfat"
done
fresh

# The lock on the whole disk, held through each road's writes (the first
# held back by strace): flock -n fails meanwhile.
slow="strace -f -o /dev/null -e trace=pwrite64 -e inject=pwrite64:delay_enter=1500000:when=1"
locked_while() {  # PID: the disk's lock was seen held while PID ran
  while kill -0 "$1" 2>/dev/null; do flock -n -x "$disk" true || return 0; sleep 0.05; done; return 1
}
for road in '$p1' '$disk' '--mbr $disk'; do
  fresh; sparse_image "$img" $((300 * MiB)); [ "$road" = '$p1' ] && two_partitions || disk_of
  eval "$slow \"\$mkfat32\" --force -l LOCKED $road" >"$work/out.txt" 2>&1 & runner=$!
  locked_while "$runner" && pass "lock held during a run on $road" || fail "no lock during a run on $road"
  wait "$runner"; rc=$?; expect "locked run on $road" 0
done

# Two runs on sibling partitions: the second waits for the first's lock, and
# neither writes back a stale table: both entries end as type c.
fresh; two_partitions
$slow "$mkfat32" --force -l FIRST "$p1" >"$work/out.txt" 2>&1 & runner=$!
locked_while "$runner" && pass "two runs: the first holds the lock" || fail "two runs: the first took no lock"
"$mkfat32" --force -l SECOND "$p2" >"$work/second.txt" 2>&1 & other=$!
kill -0 "$runner" 2>/dev/null && overlap=yes || overlap=no
wait "$other"; second=$?; wait "$runner"; rc=$?; expect "first of two runs at once" 0
[ "$overlap" = yes ] && pass "two runs: the second started while the first ran" || fail "two runs: no overlap"
[ "$second" = 0 ] && [ "$(sfdisk -d "$disk" | grep -c 'type=c$')" = 2 ] &&
  pass "two runs at once: both entries type c" || fail "two runs: exit $second, $(sfdisk -d "$disk")"
vfat_ok "two runs, p1" "$p1" FIRST; vfat_ok "two runs, p2" "$p2" SECOND

# sfdisk --lock waits for the format, which therefore ends over the entry it
# started with.
fresh; two_partitions
$slow "$mkfat32" --force -l WAITED "$p1" >"$work/out.txt" 2>&1 & runner=$!
locked_while "$runner"
echo 'start=2048, size=100000' | sfdisk -q --lock -N 1 "$disk" >/dev/null 2>&1 & shrink=$!
sleep 0.5; kill -0 "$shrink" 2>/dev/null && waiting=yes || waiting=no
wait "$runner"; rc=$?; expect "format with sfdisk --lock waiting" 0
size=$(dd if="$p1" bs=1 skip=32 count=4 status=none | od -An -tu4 | tr -d ' ')
wait "$shrink"
[ "$waiting" = yes ] && [ "$size" = 300000 ] && pass "sfdisk --lock waited for the whole format" ||
  fail "sfdisk --lock: waiting=$waiting, volume of $size sectors"

# partx adds old partitions back during the exclusive open's retries (p1
# mounted) and again during the writes: the run ends with the table's one
# partition and nothing else, or fails naming the disk.
fresh; two_partitions; mkfs.ext4 -q -F "$p1"; partx -d --nr 2 "$disk"; mount "$p1" "$mnt"
$slow "$mkfat32" --mbr --force -l RACED "$disk" >"$work/out.txt" 2>&1 & runner=$!
sleep 0.7; partx -a --nr 2 "$disk"; umount "$mnt"
for _ in $(seq 100); do [ -e "/sys/class/block/${p1#/dev/}" ] || break; sleep 0.05; done
partx -a "$disk"; wait "$runner"; rc=$?
if [ "$rc" -ne 0 ]; then says "partx during --mbr: exit $rc" "${disk#/dev/}"
else sole_partition "partx during --mbr"; vfat_ok "partx during --mbr" "$p1" RACED; fi

# A device turned read-only during the writes is said to be read-only.
fresh; two_partitions
$slow "$mkfat32" --force "$p1" >"$work/out.txt" 2>&1 & runner=$!
locked_while "$runner"; blockdev --setro "$p1"; wait "$runner"; rc=$?; blockdev --setrw "$p1"
expect "read-only during the writes" 16; says "read-only during the writes" "the device turned read-only"

fresh

rm -f "$work"/*.img "$work/out.txt" "$work/in.bin" "$work/out.bin"
finish
