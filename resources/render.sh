#!/bin/sh
# Renders the skin masters (skins/*.svg) to the baseline JPEG pictures the windows load.
# Needs rsvg-convert (librsvg2-bin), ImageMagick's convert and the URW Gothic font
# (fonts-urw-base35).
set -eu
cd "$(dirname "$0")"
for tool in rsvg-convert convert; do
  command -v "$tool" >/dev/null || { echo "render.sh: $tool is missing" >&2; exit 1; }
done
fc-list | grep -q "URW Gothic" || { echo "render.sh: font URW Gothic is missing" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

render() { # name width height
  rsvg-convert -w "$2" -h "$3" "skins/$1.svg" -o "$tmp/$1.png"
  convert "$tmp/$1.png" -background white -alpha remove -alpha off \
    -colorspace sRGB -type TrueColor -strip -interlace none \
    -sampling-factor 4:4:4 -quality 92 "JPEG:$1.jpg"
  echo "$1.jpg: $(identify -format '%wx%h %[colorspace] %[jpeg:sampling-factor]' "$1.jpg")"
}

render principale 395 392
render options 485 349
render credits 160 30
