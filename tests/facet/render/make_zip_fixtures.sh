#!/bin/sh
# Writes the files the zip reader's tests compare against and packs them with
# Info-ZIP's zip into the archives those tests open: stored, deflated,
# streamed (data descriptors), commented, encrypted, ZIP64, and a small one
# that the mutation test damages.
# Usage: [ZIP_PROGRAM=/path/to/zip] make_zip_fixtures.sh OUTPUT_DIR
set -eu
out=$1
zip=${ZIP_PROGRAM:-zip}
# zip takes default options from these; none may leak into the fixtures.
unset ZIP ZIPOPT
# zip marks non-ASCII names as UTF-8 only in a UTF-8 locale.
export LC_ALL=C.UTF-8

rm -rf "$out"
mkdir -p "$out/tree/Skin/Images"
cd "$out/tree"
printf 'Hello, zip' > hello.txt
: > empty.txt
printf 'windows style name' > 'win\style.txt'
printf '\344\270\255\346\226\207' > 'Skin/图片.txt'
seq 1 300 | sed 's/^/<Item name="item/; s/$/" text="x"\/>/' > Skin/skin.xml
seq 1 400 | tr '\n' ' ' > Skin/Images/Logo.PNG
# A few MB that deflate shrinks well.
seq 1 450000 > big.txt

"$zip" -q -0 -r ../stored.zip hello.txt empty.txt 'win\style.txt' Skin
"$zip" -q -9 -r ../deflated.zip hello.txt empty.txt 'win\style.txt' Skin big.txt
# Written to a pipe, zip cannot seek back, so sizes and CRCs follow the data.
"$zip" -q -9 - hello.txt Skin/skin.xml Skin/Images/Logo.PNG empty.txt | cat > ../streamed.zip
test -s ../streamed.zip  # a pipeline reports only its last command's failure
"$zip" -q -9 ../commented.zip hello.txt Skin/skin.xml
printf 'a comment with a false end record PK\005\006 inside\n' | "$zip" -q -z ../commented.zip
"$zip" -q -P secret ../encrypted.zip hello.txt Skin/skin.xml
"$zip" -q -fz ../zip64.zip hello.txt
"$zip" -q -9 ../small.zip hello.txt empty.txt Skin/ Skin/skin.xml Skin/Images/Logo.PNG
