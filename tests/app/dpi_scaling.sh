#!/bin/sh
# The window at each screen scale of the table below, in one locale: every
# row runs scaled_window_tests in a Wine prefix of its own (inside the build
# tree) whose LogPixels is that scale, set before any window of the prefix
# starts, since Wine's desktop reads it once. The 96-DPI row uses the suite's
# own prefix; 168 (175 %) has no art of its own and takes the 200 % set
# resampled. Usage: dpi_scaling.sh BUILD_DIR LANG (zh_CN or en_US)
set -eu
build=$1
here=$(cd "$(dirname "$0")" && pwd)
WINE_BUILD_DIR=$build . "$here/../../cmake/wine-env.sh"
export LANG=$2.UTF-8 LC_ALL=$2.UTF-8
base=$WINEPREFIX
failed=0

# A copy of the suite's prepared prefix with the scale in both places Wine
# reads it; made once, kept for later runs until the suite's prefix changes.
scaled_prefix() {  # dpi
  prefix=$build/wineprefix-dpi$1
  stamp="$1 $(cat "$base/.prepared")"
  if [ "$(cat "$prefix/.scaled" 2>/dev/null)" != "$stamp" ]; then
    rm -rf "$prefix"
    cp -a "$base" "$prefix"
    WINEPREFIX=$prefix wine reg add 'HKCU\Control Panel\Desktop' \
      /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1
    WINEPREFIX=$prefix wine reg add \
      'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
      /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1
    WINEPREFIX=$prefix wineserver -w
    echo "$stamp" > "$prefix/.scaled"
  fi
  echo "$prefix"
}

# A scaled prefix's own server does not outlive the script, even on failure.
server=
trap '[ -z "$server" ] || WINEPREFIX=$server wineserver -k >/dev/null 2>&1' EXIT

scales="96 120 144 168 192"
for dpi in $scales; do
  if [ "$dpi" = 96 ]; then prefix=$base; else prefix=$(scaled_prefix "$dpi"); fi
  export WINEPREFIX=$prefix WINE_TEST_PREFIX=$prefix
  # A server of its own for a scaled prefix, ended with the row.
  if [ "$prefix" != "$base" ]; then
    server=$prefix
    wineserver -p </dev/null >/dev/null 2>&1
  fi
  if VARQO_TEST_DPI=$dpi "$here/../../cmake/wine-run.sh" "$build/bin/scaled_window_tests.exe" \
    --gtest_brief=1; then
    echo "dpi $dpi: passed"
  else
    echo "dpi $dpi: FAILED"
    failed=$((failed + 1))
  fi
  if [ -n "$server" ]; then
    { wineserver -k; wineserver -w; } >/dev/null 2>&1 || true
    server=
  fi
done
echo "dpi scaling ($2): $(($(echo $scales | wc -w) - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
