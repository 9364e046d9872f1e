#!/usr/bin/env bash
# What a command-line user sees: the system's reason for a path that cannot
# be opened, the engine's diagnostic lines only with -v, the window's version,
# and a hidden-sector count past 2^23 sectors reaching the boot sector whole.
#   usage: command_line.sh MKFAT32 WORKDIR VERSION_SOURCE
. "$(dirname "$0")/lib.sh"
mkfat32=$1 work=$2 rc_file=$3
mkdir -p "$work"; img="$work/cli.img"

rm -f "$work/nofile.img"
"$mkfat32" "$work/nofile.img" >"$work/out.txt" 2>&1; rc=$?
[ "$rc" -eq 15 ] && [ ! -e "$work/nofile.img" ] &&
  [ "$(cat "$work/out.txt")" = "mkfat32: $work/nofile.img: No such file or directory
Failed to open device, pull it out and try again, please!" ] &&
  pass "missing path: the reason, then the result (15)" || fail "missing path: $rc: $(cat "$work/out.txt")"

sparse_image "$img" $((300 * MiB))
out=$("$mkfat32" "$img" 2>&1)
[ "$out" = "Formation complete!" ] && pass "quiet without -v" || fail "without -v: $out"
out=$("$mkfat32" -v "$img" 2>&1)
grep -q '^FSCTL_ALLOW_EXTENDED_DASD_IO OK$' <<<"$out" && grep -q '^Wrote 633856 bytes in ' <<<"$out" &&
  pass "diagnostic lines with -v" || fail "with -v: $out"

version=$(sed -n -E 's/.*VALUE "ProductVersion", "([^"]+)".*/\1/p' "$rc_file")
[ -n "$version" ] && [ "$("$mkfat32" --version)" = "mkfat32 $version" ] &&
  pass "--version: $version" || fail "--version: $("$mkfat32" --version 2>&1)"

"$mkfat32" --partition mbr --hidden 9000000 "$img" >/dev/null &&
  [ "$(od -An -tu4 -j $((0x1C)) -N 4 "$img" | tr -d ' ')" = 9000000 ] &&
  pass "9,000,000 hidden sectors through the extended query" || fail "hidden sectors past 2^23"

rm -f "$img" "$work/out.txt"
finish
