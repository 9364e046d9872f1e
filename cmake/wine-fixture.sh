#!/bin/sh
# CTest fixture for the Windows tests: "start" prepares the build tree's Wine
# prefix (once), an Xvfb display and a persistent wineserver, so each test
# program starts in milliseconds; "stop" ends the server and the display.
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
xvfb_pid_file="$WINE_BUILD_DIR/xvfb.pid"
prefix_version=2  # raise when configure_prefix changes

start_display() {
  if [ -e "/tmp/.X11-unix/X$WINE_TEST_DISPLAY" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  rm -f "/tmp/.X$WINE_TEST_DISPLAY-lock" "/tmp/.X11-unix/X$WINE_TEST_DISPLAY"
  setsid Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  echo $! > "$xvfb_pid_file"
  for _ in $(seq 1 50); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "wine-fixture: Xvfb did not start on $DISPLAY" >&2
  return 1
}

# Message boxes under the default X11 settings take ~2 s to dismiss; unmanaged
# windows take milliseconds. The skin's font "宋体" needs a CJK replacement in
# every locale, not only zh_CN.
# A crashing test must fail at once, not start winedbg (which waits forever).
configure_prefix() {
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ /d '' /f
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v SimSun /t REG_SZ /d 'WenQuanYi Micro Hei' /f
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v '宋体' /t REG_SZ /d 'WenQuanYi Micro Hei' /f
}

case "$1" in
  start)
    start_display || exit 1
    if [ ! -f "$WINEPREFIX/.prepared" ]; then
      rm -rf "$WINEPREFIX"
      wineboot -i </dev/null >/dev/null 2>&1
    fi
    if [ "$(cat "$WINEPREFIX/.prepared" 2>/dev/null)" != "$prefix_version" ]; then
      configure_prefix </dev/null >/dev/null 2>&1
      wineserver -w
      echo "$prefix_version" > "$WINEPREFIX/.prepared"
    fi
    wineserver -p </dev/null >/dev/null 2>&1
    wine cmd /c exit </dev/null >/dev/null 2>&1
    exit 0
    ;;
  stop)
    wineserver -k >/dev/null 2>&1
    if [ -f "$xvfb_pid_file" ]; then
      kill "$(cat "$xvfb_pid_file")" 2>/dev/null
      rm -f "$xvfb_pid_file"
    fi
    exit 0
    ;;
  *)
    echo "usage: wine-fixture.sh start|stop" >&2
    exit 2
    ;;
esac
