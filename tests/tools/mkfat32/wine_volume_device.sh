#!/usr/bin/env bash
# The shipped Windows volume device, on Wine's own volumes and on a simulated
# machine. Drive letters mapped to image files: the USB check refuses a letter
# that is not a USB drive and touches nothing; --force on Wine's volume opens
# and locks, then stops where Wine fails the geometry query (13) with the
# image untouched; a listed stick of the simulated machine is formatted; a
# letter that cannot be opened gives 15, and one refused for lack of rights
# says to run elevated.   usage: wine_volume_device.sh WINE_RUN MKFAT32_EXE WORKDIR
. "$(dirname "$0")/lib.sh"
wine_run=$1 exe=$2 work=$3
. "$(dirname "$wine_run")/wine-env.sh"
mkdir -p "$work"
disk="$work/fixed.img" stick="$work/stick.img" table="$work/drives.txt"
for img in "$disk" "$stick"; do
  sparse_image "$img" $((300 * MiB))
  printf 'OLD BOOT SECTOR' | dd of="$img" conv=notrunc 2>/dev/null
done
before=$(sha256sum < "$disk")

# A simulated machine for the USB check: X: an internal SATA disk, Y: a stick.
cat > "$table" <<'TABLE'
drive X: type=fixed number=0 dos=\Device\HarddiskVolume2
interface disk \\?\scsi#disk&ven_sata#0#{53f56307-b6bf-11d0-94f2-00a0c91efb8b} instance=10 number=0
interface disk \\?\usbstor#disk&ven_stick#1#{53f56307-b6bf-11d0-94f2-00a0c91efb8b} instance=11 number=1
device 10 parent=20
device 20 id=PCI\VEN_8086&DEV_A102\3&11583659&0&B8
device 11 parent=21
device 21 id=USB\VID_0781&PID_5567\4C530001
TABLE
printf 'drive Y: type=removable number=1 dos=\\Device\\HarddiskVolume5 image=Z:%s\n' \
  "$(printf '%s' "$stick" | tr / '\\')" >> "$table"

links="$WINEPREFIX/dosdevices"
rm -f "$links/x::" "$links/x:" "$links/y::" "$links/y:"
ln -s "$disk" "$links/x::"
ln -s "$stick" "$links/y::"
cleanup() { rm -f "$links/x::" "$links/y::"; }
trap cleanup EXIT

# mkfat32_on NAME EXPECTED_EXIT ARGS...: runs it on the simulated machine
# (on Wine's own volumes when TABLE_ARGS is emptied), checks the exit code.
mkfat32_on() {
  local name=$1 expected=$2 machine=${TABLE_ARGS---drive-table Z:$table}; shift 2
  # shellcheck disable=SC2086
  "$wine_run" "$exe" -v $machine "$@" >"$work/out.txt" 2>&1; rc=$?
  if [ "$rc" -eq "$expected" ]; then pass "$name"; return 0; fi
  fail "$name: exit $rc, expected $expected"; cat "$work/out.txt"; return 1
}
opened() { grep -q -e '^FSCTL_ALLOW_EXTENDED_DASD_IO OK' -e '^Failed to allow extended DASD on device' "$work/out.txt"; }

mkfat32_on "fixed disk refused (65)" 65 --label TESTVOL X: &&
  { grep -q 'X: is not a USB drive' "$work/out.txt" && ! opened && pass "refusal says why, volume not opened" ||
    fail "refusal: $(cat "$work/out.txt")"; }
[ "$(sha256sum < "$disk")" = "$before" ] && pass "refused disk untouched" || fail "refused disk changed"

TABLE_ARGS= mkfat32_on "fixed disk with --force reaches the geometry query (13)" 13 --force --label TESTVOL X: &&
  { opened && pass "forced: the volume was opened" || fail "forced: no sign of an open volume"; }
[ "$(sha256sum < "$disk")" = "$before" ] && pass "image untouched" || fail "image changed"

mkfat32_on "listed USB stick of the simulated machine is formatted (0)" 0 --label TESTVOL Y: &&
  { fsck_clean "$stick" TESTVOL && pass "the stick's volume is clean" || fail "the stick's volume"; }

# A user without an administrator's full rights: the simulated machine
# refuses the volume's data opens. Asked on the question's identity read,
# and on the engine's open when --force skips that read.
{ echo 'user standard'; cat "$table"; } > "$work/standard.txt"
TABLE_ARGS="--drive-table Z:$work/standard.txt" mkfat32_on "not elevated: refused at the question (20)" 20 Y: &&
  { grep -q 'Administrator rights are needed' "$work/out.txt" && ! opened && pass "not elevated: said so, nothing opened" ||
    fail "not elevated: $(cat "$work/out.txt")"; }
TABLE_ARGS="--drive-table Z:$work/standard.txt" mkfat32_on "not elevated, forced: open failure (15)" 15 --force Y: &&
  { grep -q 'Run as administrator' "$work/out.txt" && pass "access denied: elevation hint" ||
    fail "no elevation hint: $(cat "$work/out.txt")"; }

rm -f "$links/q:" "$links/q::"
"$wine_run" "$exe" --force Q: >"$work/out.txt" 2>&1; rc=$?
[ "$rc" -eq 15 ] && pass "unmapped letter: 15" || { fail "unmapped letter: exit $rc"; cat "$work/out.txt"; }
# The Windows build writes text-mode line ends.
tr -d '\r' < "$work/out.txt" | grep -qx 'Failed to open device, pull it out and try again, please!' &&
  pass "open failure message" || fail "open failure message: $(cat "$work/out.txt")"
grep -q 'Run as administrator' "$work/out.txt" && fail "elevation hint for a missing volume" ||
  pass "no elevation hint for a missing volume"

rm -f "$disk" "$stick" "$table" "$work/standard.txt" "$work/out.txt"
finish
