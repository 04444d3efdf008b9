#!/bin/sh
# Renders kestro.svg into kestro.ico: nine 32-bit images of 16 to 256 pixels square.
# Needs rsvg-convert (librsvg2-bin) and ImageMagick's convert.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
images=""
for size in 16 20 24 32 40 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" "$here/kestro.svg" -o "$work/$size.png"
  images="$images PNG32:$work/$size.png"
done
# shellcheck disable=SC2086
convert $images "$here/kestro.ico"
