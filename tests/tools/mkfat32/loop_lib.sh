# Loop devices for the mkfat32 tests that need root: images of the test's own,
# attached with their partition nodes and always detached (on failure too),
# their nodes given back to root; and the checks both scripts make.
#   sourced after lib.sh, with $mkfat32 and $work set
[ "$(id -u)" -eq 0 ] || { echo "skip: loop devices need root"; exit 77; }
# The mount point has a blank, which mountinfo writes as \040.
mkdir -p "$work"; mnt="$work/mount point"; mkdir -p "$mnt"
loops=()
cleanup() {
  mountpoint -q "$mnt" && umount "$mnt"
  for loop in "${loops[@]}"; do grep -q "^${loop}p1 " /proc/swaps && swapoff "${loop}p1"; done
  for loop in "${loops[@]}"; do chown root "$loop"; losetup -d "$loop"; done
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

fresh() {  # detaches the last road's devices, their nodes given back to root
  for loop in "${loops[@]}"; do chown root "$loop"; losetup -d "$loop"; done; loops=()
}
disk_of() {  # attaches $img; a checksum only of what can be read in a moment
  attach "$img"; disk=$dev p1=${dev}p1 p2=${dev}p2 before=
  [ "$(stat -c %s "$img")" -gt $((1024 * MiB)) ] || before=$(sum "$disk")
}
two_partitions() {  # MBR: p1 and p2 holding ext4
  sparse_image "$img" $((300 * MiB))
  printf 'label: dos\nstart=2048, size=300000, type=83\nsize=200000, type=83\n' | sfdisk -q "$img"
  disk_of; mkfs.ext4 -q -F "$p2"; before=$(sum "$disk")
}
# sysfs_parts: each partition the kernel holds of $disk, with start and size.
sysfs_parts() {
  local d; for d in "/sys/class/block/${disk#/dev/}/${disk#/dev/}"p*; do
    [ -e "$d" ] && echo "${d##*/} $(cat "$d/start") $(cat "$d/size")"; done
}
# sole_partition NAME: sysfs lists exactly one partition of $disk, at 2048
# and the table's size.
sole_partition() {
  local parts sys=/sys/class/block/${disk#/dev/}
  parts=$(ls -d "$sys/${disk#/dev/}"p* 2>/dev/null | wc -l)
  [ "$parts" = 1 ] && [ "$(cat "$sys/${p1#/dev/}/start")" = 2048 ] &&
    [ "$(cat "$sys/${p1#/dev/}/size")" = "$(sfdisk -d "$disk" | sed -n "s|^$p1 : .*size= *\([0-9]*\),.*|\1|p")" ] &&
    pass "$1: the kernel holds one partition, the table's" || fail "$1: $parts partition(s): $(partx -g "$disk")"
}
untouched() { [ "$(sum "$disk")" = "$before" ] && pass "$1: untouched" || fail "$1: changed"; }
says() { grep -q -- "$2" "$work/out.txt" && pass "$1: says '$2'" || fail "$1: $(cat "$work/out.txt")"; }
refused() { untouched "$1"; says "$1" "$2"; }
img="$work/road.img"
