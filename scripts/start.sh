#!/usr/bin/env bash
# Starts the tool under Wine on a simulated USB stick backed by an image file,
# then checks the result with fsck.fat and mtools. Until the window exists this
# runs the command-line front, mkfat32.exe, on the stick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}

bash "$root/scripts/setup.sh"
BUILD_DIR=$build bash "$root/scripts/build.sh" >/dev/null

stick="$build/demo/usb-stick.img"
size=${STICK_SIZE:-8G}
mkdir -p "$(dirname "$stick")"
[ -f "$stick" ] || truncate -s "$size" "$stick"
echo "simulated USB stick: $stick ($(du -h --apparent-size "$stick" | cut -f1))"

fixture="$root/cmake/wine-fixture.sh"
(cd "$build/windows" && "$fixture" start)
trap '(cd "$build/windows" && "$fixture" stop)' EXIT
(cd "$build/windows" && "$root/cmake/wine-run.sh" tools/mkfat32.exe --label "${LABEL:-USBSTICK}" "Z:$stick") || true

echo
echo "== fsck.fat -n"
fsck.fat -n "$stick" || true
echo "== mdir"
MTOOLS_SKIP_CHECK=1 mdir -i "$stick" :: || true
