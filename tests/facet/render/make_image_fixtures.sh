#!/bin/sh
# Writes the image loader's fixtures into the folder $1 with ImageMagick:
# the same 4 x 2 picture (left half red, right half blue) in every format
# stb_image decodes, and the PNGs that the test programs hold as resources.
set -eu
out=$1
mkdir -p "$out"
cd "$out"
convert=${CONVERT_PROGRAM:-convert}

# Left 2 x 2 red, right 2 x 2 blue, all opaque.
"$convert" -size 2x2 xc:'#FF0000' -size 2x2 xc:'#0000FF' +append +repage PNG32:sample.png
for format in jpg gif bmp tga psd hdr ppm pgm; do
  case $format in
    pgm) "$convert" sample.png -colorspace Gray "sample.$format" ;;
    tga) "$convert" sample.png -define tga:compression=none "sample.$format" ;;
    *) "$convert" sample.png "sample.$format" ;;
  esac
done
# A GIF whose second pixel is the transparent colour.
"$convert" -size 1x1 xc:'#00FF00' -size 1x1 xc:none +append +repage gif_transparent.gif

# Resource 163: an animation strip of two 2 x 2 frames, red then blue.
cp sample.png strip.png
# Resource 164: (R 255, G 0, B 0, A 128) beside opaque green.
"$convert" -size 1x1 xc:'#FF000080' -size 1x1 xc:'#00FF00FF' +append +repage PNG32:alpha.png
# Resource 165: opaque magenta, white, magenta (for the mask).
"$convert" -size 1x1 xc:'#FF00FF' -size 1x1 xc:'#FFFFFF' -size 1x1 xc:'#FF00FF' +append +repage PNG32:magenta.png
