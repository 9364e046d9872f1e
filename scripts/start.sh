#!/usr/bin/env bash
# Starts the tool under Wine with one simulated USB stick: the simulation
# build lists the drive from build/demo/drives.txt and formats the sparse
# image build/demo/usb-stick.img in its place. With a display (DISPLAY set)
# the window opens there for you; without one it runs on a virtual display
# and goes through a run by itself (select, format, Yes, OK), saving a
# screenshot of each step under build/demo/. Either way, when the window
# closes the image is checked with fsck.fat and mdir.
#   STICK_SIZE=64G  LABEL=CAMERA  bash scripts/start.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
win=$build/windows
demo=$build/demo

bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$win" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$win" --target VarqoFat32-sim

stick=$demo/usb-stick.img
size=${STICK_SIZE:-8G}
label=${LABEL:-USBSTICK}
mkdir -p "$demo"
rm -f "$stick" "$demo"/*.png
truncate -s "$size" "$stick"
bytes=$(stat -c %s "$stick")
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
# One removable USB drive E:, NTFS as a new stick often comes, 8 sectors of
# 512 bytes a cluster.
printf '%s\n' \
  "drive E: type=removable number=1 sectors=8 bytes=512 clusters=$((bytes / 4096)) free=$((bytes / 4096)) label=$label fs=NTFS image=$(winpath "$stick")" \
  'interface disk \\?\usbstor#disk&ven_demo&prod_stick#0001#{53f56307-b6bf-11d0-94f2-00a0c91efb8b} instance=11 number=1' \
  'device 11 parent=21' 'device 21 id=USB\VID_0951&PID_1666\DEMO0001' > "$demo/drives.txt"
echo "simulated USB stick E: $stick ($(du -h --apparent-size "$stick" | cut -f1), label $label)"

user_display=${DISPLAY:-}
fixture="$root/cmake/wine-fixture.sh"
(cd "$win" && "$fixture" start)
trap '(cd "$win" && "$fixture" stop)' EXIT
WINE_BUILD_DIR=$win . "$root/cmake/wine-env.sh"
export VARQO_SIM_DRIVES
VARQO_SIM_DRIVES=$(winpath "$demo/drives.txt")
caption_re='^(VARQO file system format tool V1.0|Varqo文件系统格式化工具V1.0)$'

if [ -n "$user_display" ]; then
  echo "the window opens on $user_display; close it to see the check"
  DISPLAY=$user_display wine "$win/bin/VarqoFat32-sim.exe" || true
else
  echo "no display: a run on the virtual display $DISPLAY, screenshots in $demo"
  wine "$win/bin/VarqoFat32-sim.exe" >/dev/null 2>&1 &
  tool=$!
  main=$(xdotool search --sync --onlyvisible --name "$caption_re" | head -n 1)
  step=0
  shot() {  # name: the screen around the window
    step=$((step + 1))
    eval "$(xdotool getwindowgeometry --shell "$main")"
    import -window root -crop "$((WIDTH + 80))x$((HEIGHT + 80))+$((X - 40))+$((Y - 40))" \
      "$demo/$(printf '%02d' $step)-$1.png"
  }
  # The newest window of the tool's other than the main one: a message box.
  box() {
    for _ in $(seq 1 200); do
      b=$(xdotool search --onlyvisible --name '.' 2>/dev/null | grep -v "^$main\$" | tail -n 1 || true)
      [ -n "$b" ] && { echo "$b"; return; }
      sleep 0.1
    done
  }
  sleep 0.5; shot window
  eval "$(xdotool getwindowgeometry --shell "$main")"
  xdotool mousemove $((X + 200)) $((Y + 70)) click 1; sleep 0.7; shot drop-down
  xdotool key Escape; sleep 0.3
  xdotool mousemove $((X + 170)) $((Y + 226)) click 1
  b=$(box); sleep 0.3; shot confirmation
  xdotool windowfocus "$b" key y; sleep 0.5
  b=$(box); shot start-notice
  xdotool windowfocus "$b" key Return; sleep 1; shot formatting
  sleep 6
  b=$(box); shot result
  xdotool windowfocus "$b" key Return; sleep 0.5; shot done
  xdotool windowfocus "$main" key Escape
  wait "$tool" || true
  echo "screenshots:"; ls "$demo"/*.png | sed 's/^/  /'
fi

echo
if [ "$(head -c 512 "$stick" | tr -d '\0' | wc -c)" -eq 0 ]; then
  echo "the stick was not formatted: its first sector is still empty"
  exit 0
fi
echo "== fsck.fat -n $stick"
fsck.fat -n "$stick" || true
echo "== mdir"
MTOOLS_SKIP_CHECK=1 mdir -i "$stick" :: || true
