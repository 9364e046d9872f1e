#!/usr/bin/env bash
# Labels typed on a Western and on a Chinese system reach the volume in the
# OEM code page (437 and 936 under Wine), cut on a character boundary; the
# volumes pass fsck.fat and take a file with mtools.
#   usage: wine_labels.sh WINE_RUN MKFAT32_EXE WORKDIR
. "$(dirname "$0")/lib.sh"
wine_run=$1 exe=$2 work=$3
mkdir -p "$work"
img="$work/label.img"
root_dir=$(( (32 + 2 * 599) * 512 ))  # 300 MiB at 8 sectors per cluster

# fsck_clean_but_label IMAGE: fsck.fat -n finds nothing wrong but the label.
# fsck.fat 4.2 calls every label with a byte from 0x80 up "not valid" (and
# mkfs.fat 4.2 cannot write one), although FAT stores labels in the OEM code
# page and Windows writes such labels itself; that one remark is allowed.
fsck_clean_but_label() {
  local out rc rest
  out=$(fsck.fat -n "$1" 2>&1); rc=$?
  rest=$(printf '%s\n' "$out" | grep -v -e '^fsck.fat ' -e '^Leaving filesystem unchanged' \
         -e "^$1: [0-9]* files, " -e '^$' \
         -e "^Volume label '.*' stored in root directory is not valid\.$" -e '^  Auto-removing label\.$' \
         -e "^There is no label in boot sector, but there is volume label '.*' stored in root directory$" \
         -e '^  Auto-copying volume label from root directory to boot sector\.$')
  [ "$rc" -le 1 ] && [ -z "$rest" ] && return 0
  echo "fsck.fat said (exit $rc):"; printf '%s\n' "$out"; return 1
}

# expect_label NAME LOCALE LABEL EXPECTED_HEX [WARNING [OPTIONS...]]
expect_label() {
  local name=$1 locale=$2 label=$3 expected=$4 warning=${5:-} got
  shift $(($# < 5 ? $# : 5))
  sparse_image "$img" $((300 * MiB))
  if ! LANG=$locale LC_ALL=$locale "$wine_run" "$exe" "$@" -c 8 -l "$label" "Z:$img" >"$work/out.txt" 2>&1; then
    fail "$name: exit $?"; cat "$work/out.txt"; return
  fi
  got=$(od -An -tx1 -j "$root_dir" -N 11 "$img" | tr -d ' \n')
  [ "$got" = "$expected" ] || { fail "$name: label bytes $got, expected $expected"; return; }
  [ -z "$warning" ] || grep -q "$warning" "$work/out.txt" || { fail "$name: no warning"; cat "$work/out.txt"; return; }
  fsck_clean_but_label "$img" || { fail "$name: fsck.fat"; return; }
  roundtrip "$img" || { fail "$name: mtools round trip"; return; }
  pass "$name"
}

# "Café" is stored uppercase: É is 0x90 in the OEM page 437 (0xC9 would be
# the ANSI page 1252).
expect_label "Café under en_US" en_US.UTF-8 "Café" "4341469020202020202020"
# Six Chinese characters are 12 GBK bytes: five whole ones are kept (10 bytes).
expect_label "six Chinese characters under zh_CN" zh_CN.UTF-8 "中文卷标测试" "d6d0cec4beedb1eab2e220"
# A character the code page lacks becomes _, with a warning; --codepage picks
# another page than the system's.
expect_label "a Chinese character under en_US" en_US.UTF-8 "A中B" "415f422020202020202020" "lacks a character"
expect_label "Ø in code page 850" en_US.UTF-8 "AØB" "419d422020202020202020" "" --codepage 850
# No look-alike for a missing character: a fullwidth * and ā become _.
expect_label "fullwidth * and ā, no best fit" en_US.UTF-8 "x＊ā" "585f5f2020202020202020" "lacks a character"
# A code page Windows cannot convert to: ASCII kept, the rest _, and said.
expect_label "no conversion to page 12345" en_US.UTF-8 "aé" "415f202020202020202020" "cannot convert" --codepage 12345
# A character FAT forbids: 64, the character named, nothing written.
sparse_image "$img" $((300 * MiB))
LANG=en_US.UTF-8 "$wine_run" "$exe" -l "a+b" "Z:$img" >"$work/out.txt" 2>&1; rc=$?
[ "$rc" = 64 ] && grep -q "cannot hold '+'" "$work/out.txt" && [ "$(blocks_of "$img")" = 0 ] &&
  pass "a forbidden character refused" || { fail "forbidden character: exit $rc"; cat "$work/out.txt"; }

rm -f "$img" "$work/out.txt" "$work/in.bin" "$work/out.bin"
finish
