#!/usr/bin/env bash
# Real photographs in other colour spaces: the public test photograph (and a
# larger generated one) is copied into Adobe RGB and ProPhoto RGB with
# ImageMagick and the ghostscript package's ICC profiles, and each copy's
# thumbnail is compared with the sRGB photo's: mean error in levels of 255,
# with the conversion (--srgb) and without it (--no-srgb, as before).
# Usage: bench/photos.sh [BUILD_DIR] [SIZE]   (default build/release, 160)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
size=${2:-160}
batch="$build/bin/thumbrix-batch"
icc=/usr/share/color/icc/ghostscript
testdata=tests/data/public
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

c++ -O2 -std=c++17 -o "$work/picturegen" scripts/picturegen.cpp
cp "$testdata/jpeg/testorig.ppm" "$work/testorig.ppm"
"$work/picturegen" 1600 1200 7 >"$work/generated.ppm"
mkdir -p "$work/on" "$work/off"
for photo in testorig generated; do
  convert "$work/$photo.ppm" -quality 95 "$work/$photo-srgb.jpg"
  for space in a98:adobe rommrgb:prophoto; do
    convert "$work/$photo.ppm" -profile "$icc/srgb.icc" -profile "$icc/${space%%:*}.icc" \
      -quality 95 "$work/$photo-${space##*:}.jpg"
  done
done
"$batch" --quiet -j 1 -s "$size" -q 100 --srgb -d "$work/on" "$work"/*.jpg
"$batch" --quiet -j 1 -s "$size" -q 100 --no-srgb -d "$work/off" "$work"/*.jpg

mae() { compare -metric MAE "$1" "$2" null: 2>&1 | sed 's/.*(\(.*\))/\1/' | awk '{printf "%.2f", $1 * 255}'; }
printf '%-20s %14s %14s\n' "copy" "--no-srgb" "--srgb"
for photo in testorig generated; do
  for space in adobe prophoto; do
    ref="$work/on/$photo-srgb.jpg"
    printf '%-20s %14s %14s\n' "$photo-$space" "$(mae "$work/off/$photo-$space.jpg" "$ref")" \
      "$(mae "$work/on/$photo-$space.jpg" "$ref")"
  done
done
cmp -s "$work/on/testorig-srgb.jpg" "$work/off/testorig-srgb.jpg" &&
  echo "untagged photo: same bytes either way"
