#!/usr/bin/env bash
# Renders the application icon from resources/icon/ into src/platform/win32/velmora.ico.
#
# The tile (background.mvg) is drawn for every size. The glyph comes from the
# vector glyph.mvg from 32 px upwards and from the hand-tuned pixel maps
# glyph-16.pgm, glyph-20.pgm and glyph-24.pgm below that, so the sizes the
# notification area shows stay crisp. Vector art is drawn at eight times the
# target size and averaged down, which keeps straight edges on whole pixels.
#
# Usage: scripts/make-icon.sh [PREVIEW_DIR]
# With PREVIEW_DIR, also writes each size there as PNG (the small ones scaled
# up eight times without smoothing) for looking at the result.
# Needs ImageMagick's convert; the build itself only uses the committed .ico.
set -euo pipefail
cd "$(dirname "$0")/.."

readonly kSource=resources/icon
readonly kOutput=src/platform/win32/velmora.ico
readonly kSupersample=8
readonly kGridUnits=256

if ! convert -version 2>/dev/null | grep -q ImageMagick; then
  echo "make-icon: needs ImageMagick's convert (apt-get install imagemagick)" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Draws an MVG file from the 256-unit grid at SIZE px into OUT.
renderVector() {
  local source=$1 size=$2 out=$3
  local big=$((size * kSupersample))
  {
    printf 'viewbox 0 0 %d %d\n' "$big" "$big"
    awk -v big="$big" -v grid="$kGridUnits" \
      'BEGIN { printf "scale %.6f,%.6f\n", big / grid, big / grid }'
    grep -v '^viewbox' "$source"
  } >"$work/scaled.mvg"
  convert -background none "mvg:$work/scaled.mvg" \
    -filter box -resize "${size}x${size}" "$out"
}

# Turns a hand-tuned coverage map into white ink with that coverage as alpha.
inkFromMap() {
  local map=$1 out=$2
  convert "$map" -alpha off -fill white -colorize 100 \
    "$map" -compose CopyOpacity -composite "$out"
}

# Builds one icon size. Sizes from 32 px up get a one-pixel transparent
# margin (eight at 256 px) so the tile sits like other desktop icons.
renderSize() {
  local size=$1 out=$2 margin=0 glyph
  if [ "$size" -ge 256 ]; then
    margin=8
  elif [ "$size" -ge 32 ]; then
    margin=1
  fi
  local art=$((size - 2 * margin))
  renderVector "$kSource/background.mvg" "$art" "$work/tile.png"
  if [ -f "$kSource/glyph-$size.pgm" ]; then
    glyph=$work/ink.png
    inkFromMap "$kSource/glyph-$size.pgm" "$glyph"
  else
    glyph=$work/vector-glyph.png
    renderVector "$kSource/glyph.mvg" "$art" "$glyph"
  fi
  convert "$work/tile.png" "$glyph" -compose over -composite \
    -background none -gravity center -extent "${size}x${size}" \
    -strip "PNG32:$out"
}

sizes=(16 20 24 32 40 48 256)
frames=()
for size in "${sizes[@]}"; do
  renderSize "$size" "$work/$size.png"
  frames+=("$work/$size.png")
done
convert "${frames[@]}" -strip "$kOutput"
echo "make-icon: wrote $kOutput (${sizes[*]} px)"

if [ $# -ge 1 ]; then
  mkdir -p "$1"
  for size in "${sizes[@]}"; do
    if [ "$size" -le 48 ]; then
      convert "$work/$size.png" -filter point -resize 800% "$1/icon-$size.png"
    else
      cp "$work/$size.png" "$1/icon-$size.png"
    fi
  done
  echo "make-icon: previews in $1"
fi
