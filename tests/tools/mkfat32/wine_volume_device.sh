#!/usr/bin/env bash
# The real Windows volume device under Wine: a drive letter mapped to an image
# file opens and locks, then stops where Wine fails the geometry query (13)
# with the image untouched; a letter that cannot be opened gives 15.
#   usage: wine_volume_device.sh WINE_RUN MKFAT32_EXE WORKDIR
. "$(dirname "$0")/lib.sh"
wine_run=$1 exe=$2 work=$3
. "$(dirname "$wine_run")/wine-env.sh"
mkdir -p "$work"
img="$work/drive.img"
sparse_image "$img" $((300 * MiB))
printf 'OLD BOOT SECTOR' | dd of="$img" conv=notrunc 2>/dev/null
before=$(sha256sum < "$img")

link="$WINEPREFIX/dosdevices/x::"
rm -f "$link" "$WINEPREFIX/dosdevices/x:"
ln -s "$img" "$link"
"$wine_run" "$exe" --label TESTVOL X: >"$work/out.txt" 2>&1; rc=$?
rm -f "$link"
[ "$rc" -eq 13 ] && pass "mapped letter stops at the geometry query (13)" ||
  { fail "mapped letter: exit $rc"; cat "$work/out.txt"; }
grep -q -e '^FSCTL_ALLOW_EXTENDED_DASD_IO OK' -e '^Failed to allow extended DASD on device' "$work/out.txt" &&
  pass "the volume was opened" || fail "no sign of an open volume"
[ "$(sha256sum < "$img")" = "$before" ] && pass "image untouched" || fail "image changed"

rm -f "$WINEPREFIX/dosdevices/q:" "$WINEPREFIX/dosdevices/q::"
"$wine_run" "$exe" Q: >"$work/out.txt" 2>&1; rc=$?
[ "$rc" -eq 15 ] && pass "unmapped letter: 15" || { fail "unmapped letter: exit $rc"; cat "$work/out.txt"; }
# The Windows build writes text-mode line ends.
tr -d '\r' < "$work/out.txt" | grep -qx 'Failed to open device, pull it out and try again, please!' &&
  pass "open failure message" || fail "open failure message: $(cat "$work/out.txt")"

rm -f "$img" "$work/out.txt"
finish
