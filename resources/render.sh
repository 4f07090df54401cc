#!/bin/sh
# Renders the skin masters (skins/*.svg) to the baseline JPEG pictures the windows load, and
# the icon master (icon/tidora2000.svg) to the 128x128 picture the desktop menus show.
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

rsvg-convert -w 128 -h 128 icon/tidora2000.svg -o "$tmp/icon.png"
convert "$tmp/icon.png" -strip "PNG32:icon/tidora2000.png"
echo "icon/tidora2000.png: $(identify -format '%wx%h %[channels]' icon/tidora2000.png)"
