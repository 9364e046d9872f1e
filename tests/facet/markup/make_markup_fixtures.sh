#!/bin/sh
# Writes the skin documents the markup parser's file tests read and packs them
# with Info-ZIP's zip into skins.zip: the application's skin, one in a
# subfolder, an empty one and one above the 4 MiB limit (deflated to a few KB).
# Usage: [ZIP_PROGRAM=/path/to/zip] make_markup_fixtures.sh OUTPUT_DIR SKIN_XML
set -eu
out=$1
skin=$2
zip=${ZIP_PROGRAM:-zip}
# zip takes default options from these; none may leak into the fixtures.
unset ZIP ZIPOPT

rm -rf "$out"
mkdir -p "$out/tree/ui"
cp "$skin" "$out/tree/skin.xml"
printf '<Window><Label name="inner"/></Window>' > "$out/tree/ui/main.xml"
: > "$out/tree/empty.xml"
{ printf '<a/>'; head -c 5242880 /dev/zero | tr '\0' ' '; } > "$out/tree/big.xml"

cd "$out/tree"
"$zip" -q -9 -r ../skins.zip skin.xml ui empty.xml big.xml
