#!/usr/bin/env bash
# mkfat32.exe --mbr on the simulated machine's disks: one row per stick, its
# layout, how it is named, and what must come of it. A stick restored holds
# an MBR with exactly one 0x0C partition from sector 2048 to the end, whose
# volume fsck.fat finds clean and mtools copies a file through; a refused one
# is untouched; a run cut at any write leaves the old layout, a disk with no
# table, or the new whole volume: never a table over a partition that holds
# less than a whole volume.
#   usage: wine_whole_disk.sh WINE_RUN MKFAT32_EXE WORKDIR
. "$(dirname "$0")/lib.sh"
wine_run=$1 exe=$2 work=$3
. "$(dirname "$wine_run")/wine-env.sh"
mkdir -p "$work"
GiB=$((1024 * MiB))
stick="$work/stick.img" table="$work/drives.txt"
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

# layout NAME BYTES: a sparse stick with that layout, its FAT volumes made.
layout() {
  sparse_image "$stick" "$2"
  case $1 in
    small) echo 'start=2048, size=131072, type=c' | sfdisk -q "$stick" ;;
    two) printf 'start=2048, size=131072, type=c\nstart=133120, type=83\n' | sfdisk -q "$stick" ;;
    gpt) printf 'label: gpt\nstart=2048, size=131072, type=EBD0A0A2-B9E5-4433-87C0-68B6B72699C7\n' | sfdisk -q "$stick" ;;
    image) printf 'start=64, size=5242880, type=17\nstart=5242944, size=8192, type=ef\n' | sfdisk -q "$stick" ;;
    none) ;;
  esac
  [ "$1" = none ] || [ "$1" = image ] || mkfs.fat -F 16 --offset 2048 -n OLD "$stick" 65536 >/dev/null 2>&1
}

# machine DISK_FIELDS VOLUMES [RECORDS]: the drive table; VOLUMES are
# LETTER:PARTITION[:held], the letter - for a volume mounted without one;
# RECORDS, the machine's own (system, pagefile), ';' apart.
machine() {
  { echo "disk 1 image=$(winpath "$stick") $1"
    echo 'drive C: type=fixed number=0 fs=NTFS'
    for v in $2; do
      IFS=: read -r letter part held <<<"$v"
      if [ "$letter" = - ]; then echo "volume number=1 partition=$part fs=FAT ${held:+held=$held}"
      else echo "drive $letter: type=removable number=1 partition=$part fs=FAT ${held:+held=$held}"; fi
    done
    [ -z "${3:-}" ] || tr ';' '\n' <<<"$3"; } > "$table"
}

# partition_of IMAGE OUT: the new partition, copied out sparse.
partition_of() { dd if="$1" of="$2" bs=1M skip=1 conv=sparse status=none; }

# whole IMAGE: the new layout over the whole disk, its volume clean and usable.
whole() {
  local bytes sectors
  bytes=$(stat -c %s "$1"); sectors=$((bytes / 512 - 2048))
  [ $((bytes / 512)) -gt $((1 << 32)) ] && sectors=$(((1 << 32) - 2048))
  [ "$(mbr_entries "$1")" = "12 2048 $sectors" ] || { echo "table: $(mbr_entries "$1")"; return 1; }
  partition_of "$1" "$work/part.img"
  fsck_clean "$work/part.img" && roundtrip "$work/part.img"
}

# run NAME EXPECTED ARGS...: mkfat32.exe on the machine, the exit code checked.
run() {
  local name=$1 expected=$2; shift 2
  "$wine_run" "$exe" -v --drive-table "$(winpath "$table")" "$@" >"$work/out.txt" 2>&1; rc=$?
  [ "$rc" -eq "$expected" ] && return 0
  fail "$name: exit $rc, expected $expected"; tr -d '\r' < "$work/out.txt" | tail -15; return 1
}

# beyond_mbr IMAGE: a stick past 2 TiB, too large to copy out: its one entry
# ends at sector 2^32, the boot sector and FSInfo agree on the clusters that
# fit, the limit was said, and mtools copies a file through at the offset.
beyond_mbr() {
  local at=$MiB total reserved fats fatsz spc clusters
  u16() { od -An -tu2 -j $((at + $1)) -N2 "$stick" | tr -d ' '; }
  u32() { od -An -tu4 -j $((at + $1)) -N4 "$stick" | tr -d ' '; }
  [ "$(mbr_entries "$stick")" = "12 2048 $(((1 << 32) - 2048))" ] || { echo "table: $(mbr_entries "$stick")"; return 1; }
  tr -d '\r' < "$work/out.txt" | grep -q 'ends at 2 TiB' || { echo "the 2 TiB limit was not said"; return 1; }
  total=$(u32 32) reserved=$(u16 14) fatsz=$(u32 36) fats=$(od -An -tu1 -j $((at + 16)) -N1 "$stick" | tr -d ' ')
  spc=$(od -An -tu1 -j $((at + 13)) -N1 "$stick" | tr -d ' ')
  clusters=$(((total - reserved - fats * fatsz) / spc))
  [ "$(u16 11) $(u16 510) $total $fats $(u32 44) $(u16 48)" = "512 43605 $(((1 << 32) - 2048)) 2 2 1" ] &&
    [ $(((clusters + 2) * 4)) -le $((fatsz * 512)) ] &&
    [ "$(dd if="$stick" bs=1 skip=$((at + 82)) count=8 status=none)" = "FAT32   " ] ||
    { echo "boot sector: $(od -An -tx1 -j $at -N 90 "$stick")"; return 1; }
  at=$((MiB + 512))
  [ "$(u32 0) $(u32 484) $(u32 488) $(u32 508)" = "1096897106 1631679090 $((clusters - 1)) 2857697280" ] ||
    { echo "FSInfo: $(u32 0) $(u32 484) $(u32 488) $(u32 508), $clusters clusters"; return 1; }
  roundtrip "$stick@@$MiB" "$work" || { echo "mtools could not copy a file through"; return 1; }
}

# name | layout | disk fields | volumes | target | exit | outcome | machine records
rows="
small stick by letter|small|bus=usb|E:1|E:|0|whole
small stick by number|small|bus=usb|E:1|disk:1|0|whole
two partitions by the second's letter|two|bus=usb|E:1 F:2|F:|0|whole
GPT stick by letter|gpt|bus=usb|E:1|E:|0|whole
image-style layout by letter|image|bus=usb|E:1 F:2|E:|0|whole
no volume by number|none|bus=usb|G:1|disk:1|0|whole
fixed disk refused|small|bus=usb media=fixed|E:1|E:|65|old
SATA disk refused|small|bus=sata|E:1|disk:1|65|old
volume held by another program refused|two|bus=usb|E:1 F:2:open|E:|14|old
volume without a letter held by another program refused|two|bus=usb|E:1 -:2:open|E:|14|old
two partitions, the second without a letter|two|bus=usb|E:1 -:2|E:|0|whole
letter not on any disk|small|bus=usb|E:1|Q:|15|old
stick holding the page file refused|small|bus=usb|E:1|E:|14|old:holds a page file in use|pagefile E:\\pagefile.sys
stick holding the Windows folder refused|small|bus=usb|E:1|disk:1|14|old:holds the running Windows|system E:
stick of 2.5 TiB by letter|small|bus=usb|E:1|E:|0|beyond
"
while IFS='|' read -r name shape fields volumes target code outcome records; do
  [ -n "$name" ] || continue
  size=$((8 * GiB)); [ "$outcome" != beyond ] || size=$((5 << 40 >> 1))
  layout "$shape" "$size"
  machine "$fields" "$volumes" "$records"
  before=$(head -c $((66 * MiB)) "$stick" | sha256sum)
  run "$name" "$code" --label WHOLE --mbr "$target" || continue
  case $outcome in
    whole) out=$(whole "$stick" 2>&1) && pass "$name" || fail "$name: $out"
           tr -d '\r' < "$work/out.txt" | grep -q 'the new volume is [EG]:' || fail "$name: no new volume announced"
           # A GPT's backup header and entries lay in the last MiB.
           [ "$shape" != gpt ] || [ -z "$(tail -c $MiB "$stick" | tr -d '\0')" ] || fail "$name: the GPT backup is left" ;;
    old*) [ "$(head -c $((66 * MiB)) "$stick" | sha256sum)" = "$before" ] && pass "$name: nothing written" ||
           fail "$name: the stick changed"
          [ "$outcome" = old ] || tr -d '\r' < "$work/out.txt" | grep -q "${outcome#old:}" ||
            fail "$name: not said why" ;;
    beyond) out=$(beyond_mbr 2>&1) && pass "$name" || fail "$name: $out" ;;
  esac
done <<<"$rows"

# Cuts: a 256 MiB stick of each layout pulled out at each write of the run
# in turn, the layout codes that write sector 0 counted among the writes.
layout_writes='^(WriteFile\(disk1:.*\)|DeviceIoControl\(disk1:[^,]*, IOCTL_DISK_(CREATE_DISK|SET_DRIVE_LAYOUT_EX)\))$'
for cut in "small|E:1" "two|E:1 F:2" "gpt|E:1"; do
  IFS='|' read -r shape volumes <<<"$cut"
  layout "$shape" $((256 * MiB)); machine "bus=usb" "$volumes"; rm -f "$work/calls.log"
  VARQO_SIM_CALL_LOG=$(winpath "$work/calls.log") run "uncut $shape run" 0 --mbr E: &&
    { out=$(whole "$stick" 2>&1) && pass "uncut 256 MiB $shape run" || fail "uncut $shape run: $out"; }
  writes=$(grep -cE "$layout_writes" "$work/calls.log")
  tables=$(grep -cE 'IOCTL_DISK_(CREATE_DISK|SET_DRIVE_LAYOUT_EX)\)$' "$work/calls.log")
  [ "$writes" -gt 5 ] && [ "$tables" -eq 2 ] && pass "the $shape run writes $writes times, the table twice" ||
    fail "$shape: $writes writes counted, $tables of them the table's"
  cuts_ok=0
  for n in $(seq 1 "$writes"); do
    layout "$shape" $((256 * MiB)); machine "bus=usb pulled-at-write=$n" "$volumes"
    old=$(head -c $((66 * MiB)) "$stick" | sha256sum)
    run "$shape cut at write $n" 16 --mbr E: || continue
    entries=$(mbr_entries "$stick")
    if [ "$(head -c $((66 * MiB)) "$stick" | sha256sum)" = "$old" ]; then state=old
    elif [ -z "$entries" ]; then state="no table"
    elif whole "$stick" >/dev/null 2>&1; then state=whole
    else fail "$shape cut at write $n: a table that claims what is not there ($entries)"; continue; fi
    cuts_ok=$((cuts_ok + 1)); echo "  $shape cut at write $n: $state"
  done
  [ "$cuts_ok" -eq "$writes" ] && pass "every cut of the $shape stick ($writes) leaves the old disk or a new one" ||
    fail "$cuts_ok of $writes cuts of the $shape stick left a sound disk"
done
finish
