#!/bin/sh
# A whole format run from the window under Wine, in one language: prepares
# image files and a simulated drive table, runs the driver program that works
# the simulation executable like a user, then checks with the real validators
# that the chosen image holds a sound FAT32 volume with its label and that
# the images of the failing drives are byte for byte as they were.
# Usage: format_e2e.sh BUILD_DIR LANG (zh_CN or en_US)
set -u
build=$1 lang=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../tools/mkfat32/lib.sh"
WINE_BUILD_DIR=$build . "$here/../../cmake/wine-env.sh"
export LANG=$lang.UTF-8 LC_ALL=$lang.UTF-8

work=$build/app-format-e2e/$lang
rm -rf "$work" && mkdir -p "$work"
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
sparse_image "$work/ok.img" $((300 * MiB))
for name in lock geometry; do
  sparse_image "$work/$name.img" $((64 * MiB))
  head -c $MiB /dev/urandom | dd of="$work/$name.img" conv=notrunc status=none
done
sums_before=$(cd "$work" && sha256sum lock.img geometry.img)

usb() {  # letter number megabytes fields... (printf: dash's echo would eat the backslashes)
  l=$1 n=$2 mb=$3; shift 3
  printf '%s\n' "drive $l: type=removable number=$n sectors=8 bytes=512 clusters=$((mb * 256)) free=0 $*" \
    "interface disk \\\\?\\usbstor#disk#$n instance=1$n number=$n" \
    "device 1$n parent=2$n" "device 2$n id=USB\\VID_0951&PID_1666\\$n"
}
usb E 1 300 label=CAMERA fs=NTFS "image=$(winpath "$work/ok.img")" > "$work/one.txt"
{ cat "$work/one.txt"
  usb F 2 64 label=LOCKED fs=FAT32 "image=$(winpath "$work/lock.img")" fail=lock
  usb G 3 64 label=BROKEN fs=FAT32 "image=$(winpath "$work/geometry.img")" fail=geometry
} > "$work/drives.txt"

# The roads at the edge of a run, each on images of its own: a stick swapped
# for another under E: after the confirmation (with and without the device
# messages), E: pulled during the start notice, closing during a run (No, then
# Yes) and during a box, and a 128 MiB stick, too small for the policy's
# cluster size.
for name in keep0 stranger0 keep1 stranger1 pulled close-no close-yes boxes close-question end-pause end-writing end-goes-on; do
  sparse_image "$work/$name.img" $((40 * MiB))
  head -c $MiB /dev/urandom | dd of="$work/$name.img" conv=notrunc status=none
done
sparse_image "$work/small.img" $((128 * MiB))
untouched="keep0.img stranger0.img keep1.img stranger1.img pulled.img close-question.img close-yes.img end-pause.img"
sums_edges=$(cd "$work" && sha256sum $untouched)
for i in 0 1; do  # not n: usb() sets it
  usb E 5 40 label=KEEP fs=FAT32 serial=1 "image=$(winpath "$work/keep$i.img")" > "$work/keep$i.txt"
  usb E 6 40 label=OTHER fs=FAT32 serial=2 "image=$(winpath "$work/stranger$i.img")" > "$work/stranger$i.txt"
done
usb E 5 40 label=PULLED fs=FAT32 "image=$(winpath "$work/pulled.img")" > "$work/pulled.txt"
: > "$work/none.txt"
for name in close-no close-yes boxes close-question end-pause; do
  usb E 5 40 label=CLOSE fs=FAT32 "image=$(winpath "$work/$name.img")" > "$work/$name.txt"
done
# Writes slow enough that the session's end comes while they go on; those of
# the ending session outlast any fixed wait of 20 s.
usb E 5 40 label=CLOSE fs=FAT32 delay=1500 "image=$(winpath "$work/end-writing.img")" > "$work/end-writing.txt"
usb E 5 40 label=CLOSE fs=FAT32 delay=250 "image=$(winpath "$work/end-goes-on.img")" > "$work/end-goes-on.txt"
usb E 5 128 label=SMALL fs=NTFS "image=$(winpath "$work/small.img")" > "$work/small.txt"
# Three sticks for the run done with the keyboard alone, which formats the second.
for name in key1 key2 key3; do
  sparse_image "$work/$name.img" $((40 * MiB))
  head -c $MiB /dev/urandom | dd of="$work/$name.img" conv=notrunc status=none
done
sums_keys=$(cd "$work" && sha256sum key1.img key3.img)
{ usb E 7 40 label=FIRST fs=FAT32 "image=$(winpath "$work/key1.img")"
  usb F 8 40 label=Photos+2024 fs=NTFS "image=$(winpath "$work/key2.img")"
  usb G 9 40 label=THIRD fs=FAT32 "image=$(winpath "$work/key3.img")"
} > "$work/keys.txt"

# Two sticks for the session a screen reader follows, writes slowed so that
# the percentage moves while it is heard.
sparse_image "$work/camera.img" $((16384 * MiB))
sparse_image "$work/second.img" $((64 * MiB))
{ usb F 10 16384 label=CAMERA fs=FAT32 delay=40 "image=$(winpath "$work/camera.img")"
  usb G 11 64 label=SECOND fs=FAT32 "image=$(winpath "$work/second.img")"
} > "$work/reader.txt"

E2E_DIR=$(winpath "$work") "$here/../../cmake/wine-run.sh" "$build/bin/app_format_e2e_tests.exe" --gtest_brief=1 || fail "the window's runs (see above)"
E2E_DIR=$(winpath "$work") "$here/../../cmake/wine-run.sh" "$build/bin/app_reader_e2e_tests.exe" --gtest_brief=1 || fail "what a reader hears (see above)"
if fsck_clean "$work/camera.img" CAMERA && fsck_clean "$work/second.img" SECOND; then
  pass "the reader's session formats both sticks"
else
  fail "reader session: fsck.fat on a stick"
fi

if fsck_clean "$work/ok.img" CAMERA; then pass "fsck.fat accepts the volume written from the window"; else fail "fsck.fat"; fi
label=$(label_of "$work/ok.img")
if [ "$label" = CAMERA ]; then pass "the label is the drive's"; else fail "label: $label"; fi
if roundtrip "$work/ok.img"; then pass "mtools round trip"; else fail "mtools round trip"; fi
if [ "$(cd "$work" && sha256sum $untouched)" = "$sums_edges" ]; then
  pass "a swapped or pulled stick, a close during the question or the pause, a session's end in the pause: nothing written"
else
  fail "an image changed though its run was stopped before writing"
fi
fsck_clean "$work/end-writing.img" CLOSE && pass "the session's end during the writes waits for a whole volume" || fail "end-writing: fsck.fat"
fsck_clean "$work/end-goes-on.img" CLOSE && pass "a session that goes on lets the run finish" || fail "end-goes-on: fsck.fat"
fsck_clean "$work/close-no.img" CLOSE && pass "No to the close question: the run ends whole" || fail "close-no: fsck.fat"
if fsck_clean "$work/small.img" SMALL && roundtrip "$work/small.img"; then
  pass "a 128 MiB stick formats from the window"
else
  fail "128 MiB: fsck.fat or mtools"
fi
# Its old NTFS label breaks FAT's rule: the new volume carries it made valid.
if fsck_clean "$work/key2.img" PHOTOS_2024 && [ "$(label_of "$work/key2.img")" = PHOTOS_2024 ] &&
   roundtrip "$work/key2.img"; then
  pass "the keyboard's run formats the second stick, its label 'Photos+2024' made PHOTOS_2024"
else
  fail "keyboard run: fsck.fat or mtools on the second stick"
fi
if [ "$(cd "$work" && sha256sum key1.img key3.img)" = "$sums_keys" ]; then
  pass "the keyboard's run leaves the other sticks untouched"
else
  fail "the keyboard's run wrote a stick it did not choose"
fi
if [ "$(cd "$work" && sha256sum lock.img geometry.img)" = "$sums_before" ]; then
  pass "the failing drives' images are unchanged"
else
  fail "a failing drive's image changed"
fi
finish
