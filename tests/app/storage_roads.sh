#!/bin/sh
# The table of storage roads, in one language: each row a stick in some state
# of the simulated Windows machine, formatted once through mkfat32.exe
# --drive-table and once through the window of VarqoFat32-sim.exe (the driver
# program storage_roads_test.cpp), both running the shipped scan, identity
# read, volume device and engine over the machine. Each row is checked by what
# was written: fsck.fat and mtools for a volume, the image byte for byte as it
# was for a run that must write nothing, no boot sector left for a cut one.
# Then Ctrl+C during mkfat32's writes and before them, device paths refused,
# and the call log of one run, with the dismount between the proof and the
# first write.
# Usage: storage_roads.sh BUILD_DIR LANG (zh_CN or en_US) MKFAT32_EXE
set -u
build=$1 lang=$2 mkfat32=$3
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../tools/mkfat32/lib.sh"
WINE_BUILD_DIR=$build . "$here/../../cmake/wine-env.sh"
export LANG=$lang.UTF-8 LC_ALL=$lang.UTF-8
run="$here/../../cmake/wine-run.sh"
work=$build/storage-roads/$lang
rm -rf "$work" && mkdir -p "$work"
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

# medium KIND FILE: a 40 MiB stick holding a FAT32 volume (serial 1234ABCD),
# the same with its bytes per sector zeroed (Windows will not mount it, its
# signatures stand), bytes that no file system signs, or a 40 GiB FAT32 stick.
medium() {
  sparse_image "$2" $((40 * MiB))
  [ "$1" = big ] && sparse_image "$2" $((40 * 1024 * MiB))
  case $1 in
    fat32|broken|big) mkfs.fat -F 32 -s 1 -i 1234ABCD -n OLD "$2" >/dev/null ;;
    raw) head -c $MiB /dev/urandom | dd of="$2" conv=notrunc status=none
         printf '\0\0' | dd of="$2" bs=1 seek=510 conv=notrunc status=none ;;
  esac
  if [ "$1" = broken ]; then printf '\0\0' | dd of="$2" bs=1 seek=11 conv=notrunc status=none; fi
}

# table FILE IMAGE CONDITIONS: a USB stick E: with that medium and world.
table() {
  extra="" user="" clusters=clusters=10240
  for c in $(printf '%s' "$3" | tr + ' '); do
    case $c in
      -) ;;
      clusters=*) clusters=$c ;;
      swap) extra="$extra swap=$(winpath "$2.card2")" ;;
      user=standard) user="user standard" ;;
      *) extra="$extra $c" ;;
    esac
  done
  { [ -n "$user" ] && echo "$user"
    printf '%s\n' "drive E: type=removable number=1 sectors=8 bytes=512 $clusters free=0 fs=FAT32 label=OLD image=$(winpath "$2")$extra" \
      'interface disk \\?\usbstor#disk#1 instance=11 number=1' 'device 11 parent=21' \
      'device 21 id=USB\VID_0951&PID_1666\1'
  } > "$1"
}

# name              medium  conditions               mkfat32 window written
rows='
raw-signed          broken  state=raw                0  0  clean
held-open           fat32   held=open                14 14 same
held-lock           fat32   held=lock                14 14 same
not-elevated        fat32   user=standard            20 20 same
swapped-both-raw    raw     state=raw+swap           18 18 same
swapped-count-fails fat32   swap                     18 18 same
pulled-at-write-3   fat32   pulled-at-write=3        16 16 cut
write-protected     fat32   state=write-protected    16 16 same
unlock-fails        raw     state=pulled-at-unlock   0  0  clean
forty-gib           big     clusters=10485760        0  0  clean64
'

# The media, tables and sums, one set per front.
printf '%s\n' "$rows" | while read -r name kind conditions _ _ how; do
  [ -n "$name" ] || continue
  for front in m w; do
    medium "$kind" "$work/$name-$front.img"
    # The card swapped in: a clone of the first, or another RAW card.
    case $conditions in *swap*) medium "$kind" "$work/$name-$front.img.card2"
      [ "$kind" = fat32 ] && cp "$work/$name-$front.img" "$work/$name-$front.img.card2" ;; esac
    table "$work/$name-$front.txt" "$work/$name-$front.img" "$conditions"
    # Only a run that must write nothing is checked by its sums.
    [ "$how" = same ] && (cd "$work" && sha256sum "$name-$front.img"* > "$name-$front.sum")
  done
  printf '%s %s %s\n' "$name" "$(winpath "$work/$name-w.txt")" "$(printf '%s\n' "$rows" | awk -v n="$name" '$1==n{print $5}')" >> "$work/window-rows.txt"
done

# written NAME-FRONT HOW: what the run left on the stick.
written() {
  case $2 in
    clean) fsck_clean "$work/$1.img" && roundtrip "$work/$1.img" "$work" ;;
    # A size the policy gives 32 KiB clusters, told by the machine to both
    # fronts alike.
    clean64) fsck_clean "$work/$1.img" && roundtrip "$work/$1.img" "$work" &&
             [ "$(od -An -tu1 -j13 -N1 "$work/$1.img" | tr -d ' ')" = 64 ] ;;
    same) (cd "$work" && sha256sum -c --quiet "$1.sum") ;;
    # Cut after the clearing pass began: no volume left, never a boot sector
    # over empty FATs.
    cut) [ "$(od -v -An -tx1 -N 512 "$work/$1.img" | tr -d ' \n' | tr -d 0)" = "" ] ;;
  esac
}

export VARQO_SIM_CALL_LOG
printf '%s\n' "$rows" | { while read -r name kind conditions want_m want_w how; do
  [ -n "$name" ] || continue
  VARQO_SIM_CALL_LOG=$(winpath "$work/$name-m.log")
  "$run" "$mkfat32" --drive-table "$(winpath "$work/$name-m.txt")" -l ROADS E: >"$work/$name-m.out" 2>&1; rc=$?
  if [ "$rc" -eq "$want_m" ] && written "$name-m" "$how"; then
    pass "mkfat32 $name: $rc, $how"
  else
    fail "mkfat32 $name: exit $rc (expected $want_m), written: $how?"; cat "$work/$name-m.out"
  fi
done; [ "$failures" -eq 0 ]; } || failures=$((failures + 1))

VARQO_SIM_CALL_LOG=$(winpath "$work/window.log")
ROADS_FILE=$(winpath "$work/window-rows.txt") "$run" "$build/bin/app_storage_roads_tests.exe" --gtest_brief=1 ||
  fail "the window's runs (see above)"
printf '%s\n' "$rows" | { while read -r name kind conditions want_m want_w how; do
  [ -n "$name" ] || continue
  if written "$name-w" "$how"; then pass "window $name: $how"; else fail "window $name: not $how"; fi
done; [ "$failures" -eq 0 ]; } || failures=$((failures + 1))

# The call log of the RAW stick's run from mkfat32: the proof's reads on the
# locked handle, then the dismount, then the first write.
echo "--- the simulated machine's calls, mkfat32 on the RAW but signed stick (writes after the first elided):"
awk '/WriteFile/ { if (w++) next } { print }' "$work/raw-signed-m.log"
order=$(awk '/FSCTL_LOCK_VOLUME/ && !l { l = NR } l && /CHECK_VERIFY/ && !v { v = NR }
             /FSCTL_DISMOUNT_VOLUME/ && !d { d = NR } /WriteFile/ && !w { w = NR }
             END { print (l && l < v && v < d && d < w) ? "ok" : "wrong" }' "$work/raw-signed-m.log")
[ "$order" = ok ] && pass "lock, proof, dismount, first write: in that order" || fail "the call order"
grep -q 'FSCTL_DISMOUNT_VOLUME' "$work/window.log" && pass "the window's runs go through the same calls" ||
  fail "no volume call from the window"

# Device paths are refused before anything is opened, the object manager's
# \??\ names too, even one that leads to an image file.
medium fat32 "$work/paths.img"
(cd "$work" && sha256sum paths.img > paths.sum)
for path in '\\.\E:' '\\.\PhysicalDrive1' '\??\E:' '\??\PhysicalDrive1' "\\??\\$(winpath "$work/paths.img")"; do
  rm -f "$work/paths.log"
  VARQO_SIM_CALL_LOG=$(winpath "$work/paths.log")
  "$run" "$mkfat32" --drive-table "$(winpath "$work/raw-signed-m.txt")" "$path" >"$work/paths.out" 2>&1; rc=$?
  if [ "$rc" -eq 64 ] && [ ! -e "$work/paths.log" ] && grep -q 'nothing was opened' "$work/paths.out" &&
     (cd "$work" && sha256sum -c --quiet paths.sum); then
    pass "mkfat32 $path: 64, nothing opened"
  else
    fail "mkfat32 $path: exit $rc"; cat "$work/paths.out"
  fi
done

# A name that opens, but not as a file (the null device): refused once open.
"$run" "$mkfat32" NUL >"$work/nul.out" 2>&1; rc=$?
if [ "$rc" -eq 64 ] && grep -q 'not an image file' "$work/nul.out"; then
  pass "mkfat32 NUL: 64, not an image file"
else
  fail "mkfat32 NUL: exit $rc"; cat "$work/nul.out"
fi

# signal_at LOG CALL NAME TABLE: mkfat32 on the table, Ctrl+C sent once the
# call first shows in the call log; the exit code in $rc.
signal_at() {
  rm -f "$work/$1"
  VARQO_SIM_CALL_LOG=$(winpath "$work/$1")
  # Wine turns SIGINT into the console's CTRL_C_EVENT: started without the
  # wrapper script, the signal reaches the process itself.
  wine "$mkfat32" --drive-table "$(winpath "$work/$4")" -l "$3" E: >"$work/$3.out" 2>&1 &
  pid=$!
  tries=0
  until grep -q "$2" "$work/$1" 2>/dev/null || [ $tries -ge 600 ]; do sleep 0.1; tries=$((tries + 1)); done
  kill -INT "$pid" 2>/dev/null
  wait "$pid"; rc=$?
}

# Ctrl+C during the writes of a slow stick: the run goes on to a whole volume.
medium fat32 "$work/ctrl-c.img"
table "$work/ctrl-c.txt" "$work/ctrl-c.img" delay=700
signal_at ctrl-c.log WriteFile CTRLC ctrl-c.txt
if [ "$rc" -eq 0 ] && grep -q 'the run goes on' "$work/CTRLC.out" && fsck_clean "$work/ctrl-c.img" CTRLC; then
  pass "Ctrl+C during the writes: the run completes, exit 0, said on stderr"
else
  fail "Ctrl+C: exit $rc"; cat "$work/CTRLC.out"
fi

# Ctrl+C while the run only waits for the lock of a held stick: the command
# ends there, as Ctrl+C ends any command, and nothing was written.
medium fat32 "$work/ctrl-c-pending.img"
table "$work/ctrl-c-pending.txt" "$work/ctrl-c-pending.img" held=open
(cd "$work" && sha256sum ctrl-c-pending.img > ctrl-c-pending.sum)
signal_at ctrl-c-pending.log FSCTL_LOCK_VOLUME PENDING ctrl-c-pending.txt
# (Wine's default handler ends the process with exit code 0.)
locks=$(grep -c FSCTL_LOCK_VOLUME "$work/ctrl-c-pending.log")
if [ "$rc" -ne 14 ] && [ "$locks" -lt 7 ] && ! grep -q 'the run goes on' "$work/PENDING.out" &&
   ! grep -q WriteFile "$work/ctrl-c-pending.log" && (cd "$work" && sha256sum -c --quiet ctrl-c-pending.sum); then
  pass "Ctrl+C during the lock's retries: the command ends after $locks lock attempt(s), nothing written"
else
  fail "Ctrl+C during the lock's retries: exit $rc"; cat "$work/PENDING.out"
fi
finish
