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

E2E_DIR=$(winpath "$work") "$here/../../cmake/wine-run.sh" "$build/bin/app_format_e2e_tests.exe" --gtest_brief=1 || fail "the window's runs (see above)"

if fsck_clean "$work/ok.img" CAMERA; then pass "fsck.fat accepts the volume written from the window"; else fail "fsck.fat"; fi
label=$(label_of "$work/ok.img")
if [ "$label" = CAMERA ]; then pass "the label is the drive's"; else fail "label: $label"; fi
if roundtrip "$work/ok.img"; then pass "mtools round trip"; else fail "mtools round trip"; fi
if [ "$(cd "$work" && sha256sum lock.img geometry.img)" = "$sums_before" ]; then
  pass "the failing drives' images are unchanged"
else
  fail "a failing drive's image changed"
fi
finish
