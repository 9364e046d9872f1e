#!/usr/bin/env bash
# Redraws the artwork under resources/images from tools/artgen: the PNGs the
# window uses at 100 % and in the 125, 150 and 200 % sets (folders of those
# names), and the icon (48, 32 and 16 pixels, and a 256-pixel PNG). The
# results are committed; a build never runs this.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/resources/images
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
g++ -O2 -std=c++17 -o "$work/artgen" "$root/tools/artgen/artgen.cpp"
mkdir -p "$out/125" "$out/150" "$out/200"
"$work/artgen" "$out"
convert "$out/icon-256.png" -define icon:auto-resize=256,48,32,16 "$out/app.ico"
rm "$out/icon-256.png"
echo "make-art: wrote $(find "$out" -type f | wc -l) files to $out"
