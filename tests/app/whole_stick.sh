#!/bin/bash
# Whole sticks through the window, in one language: each row an 8 GiB USB
# stick of the simulated machine whose image is the whole disk (a 64 MiB
# volume at 1 MiB, two partitions, a GPT, no volume at all; a fixed disk, a
# volume held by another program), run through the window of
# VarqoFat32-sim.exe by whole_stick_test.cpp. A stick made whole must hold an
# MBR with one 0x0C partition from sector 2048 to the end whose volume
# fsck.fat finds clean and mtools copies a file through; a refused or
# declined one is untouched.
# Usage: whole_stick.sh BUILD_DIR LANG (zh_CN or en_US)
set -u
build=$1 lang=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../tools/mkfat32/lib.sh"
WINE_BUILD_DIR=$build . "$here/../../cmake/wine-env.sh"
export LANG=$lang.UTF-8 LC_ALL=$lang.UTF-8
run="$here/../../cmake/wine-run.sh"
work=$build/whole-stick/$lang
rm -rf "$work" && mkdir -p "$work"
GiB=$((1024 * MiB))
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

# layout SHAPE IMAGE [BYTES]: a stick of that shape, 8 GiB unless told; its first partition, when
# it has one, holds a 64 MiB FAT32 volume labelled OLD; a second one a 1 GiB
# FAT32 volume labelled DATA, or (linux) no volume Windows mounts.
layout() {
  sparse_image "$2" "${3:-$((8 * GiB))}"
  case $1 in
    small) echo 'start=2048, size=131072, type=c' | sfdisk -q "$2" ;;
    two) printf 'start=2048, size=131072, type=c\nstart=133120, size=2097152, type=c\n' | sfdisk -q "$2"
         mkfs.fat -F 32 --offset 133120 -n DATA "$2" 1048576 >/dev/null 2>&1 ;;
    linux) printf 'start=2048, size=131072, type=c\nstart=133120, size=2097152, type=83\n' | sfdisk -q "$2" ;;
    gpt) printf 'label: gpt\nstart=2048, size=131072, type=EBD0A0A2-B9E5-4433-87C0-68B6B72699C7\n' | sfdisk -q "$2" ;;
  esac
  [ "$1" = none ] || mkfs.fat -F 32 -s 1 --offset 2048 -n OLD "$2" 65536 >/dev/null 2>&1
}

# machine TABLE IMAGE DISK_FIELDS VOLUMES [SERIAL]: the drive table, VOLUMES being
# LETTER:PARTITION[:held]; the disk is a USB device to the scan. "pagefile"
# among the fields puts the page file on E:.
machine() {
  { case $3 in *pagefile*) echo 'pagefile E:\pagefile.sys' ;; esac
    echo "disk 1 image=$(winpath "$2") bus=usb ${3%pagefile}"
    echo 'drive C: type=fixed number=0 fs=NTFS'
    for v in $4; do
      IFS=: read -r letter part held <<<"$v"
      echo "drive $letter: type=removable number=1 partition=$part fs=FAT32 ${held:+held=$held}"
    done
    printf '%s\n' 'interface disk \\?\usbstor#disk#1 instance=11 number=1' 'device 11 parent=21' \
      "device 21 id=USB\\VID_0951&PID_1666\\${5:-1}"; } > "$1"
}

# whole IMAGE: one 0x0C partition from 2048 to the end, its volume clean and usable.
whole() {
  [ "$(mbr_entries "$1")" = "12 2048 $((8 * GiB / 512 - 2048))" ] || { echo "table: $(mbr_entries "$1")"; return 1; }
  dd if="$1" of="$work/part.img" bs=1M skip=1 conv=sparse status=none
  fsck_clean "$work/part.img" && roundtrip "$work/part.img" "$work"
}

if [ "$lang" = zh_CN ]; then
  big_before='磁盘 1 (无盘符) 3072.0GB' none_before='磁盘 1 (无盘符) 8.0GB' smaller='只占用了 64MB' two='有 2 个分区' gpt='GPT分区表'
else
  big_before='Disk 1 (no letter) 3072.0GB' none_before='Disk 1 (no letter) 8.0GB' smaller='uses only 64MB' two='holds 2 partitions' gpt='GPT partition table'
fi

# name|shape|disk fields|volumes|drive box before|offer's words|volumes lost|result|drive box after|outcome
# (result - : the confirmation is answered No; a 3 TiB stick is not written,
# as checking a 2 TiB volume would take too long, but its confirmation says
# where the volume ends)
rows="
small volume|small||E:1|E: (OLD) FAT32|$smaller|E:|0|E: (OLD) FAT32 8.0GB|whole
two partitions|two||E:1 F:2|F: (DATA) FAT32|$two|E:,F:|0|E: (DATA) FAT32 8.0GB|whole
a partition without a letter|linux||E:1|E: (OLD)|$two|E:,#2|0|E: (OLD) FAT32 8.0GB|whole
gpt|gpt||E:1|E: (OLD)|$gpt|E:|0|E: (OLD) FAT32 8.0GB|whole
no volume|none||G:1|$none_before|none|-|0|G: FAT32 8.0GB|whole
second partition held|two||E:1 F:2:open|F:|$two|E:,F:|14|F:|old
fixed disk not offered|small|media=fixed|E:1|E:|plain|||E:|old
page file's stick not offered|small|pagefile|E:1|E:|plain|||E:|old
a clone swapped in while asked|small||E:1|E:|$smaller|E:|18|E:|old
3 TiB declined|none||G:1|$big_before|none|-,2TB|-|$big_before|old
"
: > "$work/rows.txt"
n=0
while IFS='|' read -r name shape fields volumes before offer lost result after outcome; do
  [ -n "$name" ] || continue
  n=$((n + 1))
  bytes=$((8 * GiB)) size=8.0GB
  case $name in 3\ TiB*) bytes=$((3072 * GiB)) size=3072.0GB ;; esac
  layout "$shape" "$work/stick$n.img" "$bytes"
  machine "$work/stick$n.txt" "$work/stick$n.img" "$fields" "$volumes"
  head -c $((66 * MiB)) "$work/stick$n.img" | sha256sum > "$work/stick$n.sum"
  [ "$result" = - ] && result=-1
  # The clone: the same bytes under the same disk number, another USB device.
  swap=
  case $name in *swapped*) cp "$work/stick$n.img" "$work/stick$n.clone.img"
    machine "$work/stick$n.swap.txt" "$work/stick$n.clone.img" "$fields" "$volumes" 2
    swap=$(winpath "$work/stick$n.swap.txt") ;; esac
  printf '%s|%s|%s|%s|%s|%s|%s|%s|%s\n' "$name" "$(winpath "$work/stick$n.txt")" "$size" "$before" "$offer" "$lost" \
    "${result:-0}" "$after" "$swap" >> "$work/rows.txt"
done <<<"$rows"

WHOLE_ROWS=$(winpath "$work/rows.txt") "$run" "$build/bin/app_whole_stick_tests.exe" --gtest_brief=1 ||
  fail "the window's runs (see above)"

n=0
while IFS='|' read -r name shape fields volumes before offer lost result after outcome; do
  [ -n "$name" ] || continue
  n=$((n + 1))
  case $outcome in
    whole) out=$(whole "$work/stick$n.img" 2>&1) && pass "$name: one FAT32 partition over the whole stick" ||
             fail "$name: $out"
           [ "$shape" != gpt ] || [ -z "$(tail -c $MiB "$work/stick$n.img" | tr -d '\0')" ] ||
             fail "$name: the GPT's backup is left" ;;
    old) for image in "$work/stick$n.img" "$work/stick$n.clone.img"; do
           [ -e "$image" ] || continue
           [ "$(head -c $((66 * MiB)) "$image" | sha256sum)" = "$(cat "$work/stick$n.sum")" ] &&
             pass "$name: nothing written on $(basename "$image")" || fail "$name: $(basename "$image") changed"
         done ;;
  esac
done <<<"$rows"
finish
