#!/usr/bin/env bash
# thumbrix-batch -j 1 against vipsthumbnail (VIPS_CONCURRENCY=1), one thread
# each, per input format: one 4000 x 3000 photograph-like picture (from
# scripts/picturegen) as JPEG, PNG, WebP (lossy and lossless), TIFF, GIF and
# JPEG XL (lossy and lossless, written by vips through libjxl),
# to 160 px, and WebP again with --draft. Each figure is the best of RUNS whole processes, in CPU seconds
# (user + system), since a shared machine stretches wall times.
# Usage: bench/formats_vs_vips.sh [BUILD_DIR] [RUNS]  (default build/release, 3)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
runs=${2:-3}
batch="$PWD/$build/bin/thumbrix-batch"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
c++ -O2 -std=c++17 -o "$work/picturegen" scripts/picturegen.cpp
cd "$work"
./picturegen 4000 3000 1 > photo.ppm
cjpeg -quality 90 -outfile photo.jpg photo.ppm
convert photo.ppm photo.png
cwebp -quiet -q 80 photo.png -o lossy.webp
cwebp -quiet -lossless photo.png -o lossless.webp
convert photo.ppm -compress lzw photo.tif
convert photo.ppm -colors 256 photo.gif
vips copy photo.ppm 'lossy.jxl[Q=80]'
vips copy photo.ppm 'lossless.jxl[lossless]'
mkdir out

# The best CPU seconds of runs runs of a command.
best() {
  local least=
  for _ in $(seq "$runs"); do
    /usr/bin/time -f "%U %S" -o time "$@" >/dev/null 2>&1
    local s
    s=$(awk '{printf "%.2f", $1 + $2}' time)
    if [ -z "$least" ] || awk -v a="$s" -v b="$least" 'BEGIN { exit !(a < b) }'; then least=$s; fi
  done
  echo "$least"
}

printf '%-14s %10s %14s\n' format thumbrix vipsthumbnail
for file in photo.jpg photo.png lossy.webp lossless.webp photo.tif photo.gif lossy.jxl lossless.jxl; do
  t=$(best "$batch" --no-settings -j 1 -s 160 -d out "$file")
  v=$(best env VIPS_CONCURRENCY=1 vipsthumbnail "$file" -s 160 -o out/%s-vips.jpg)
  printf '%-14s %9ss %13ss\n' "$file" "$t" "$v"
done
# --draft lets libwebp scale as it decodes (vipsthumbnail's figures as above).
for file in lossy.webp lossless.webp; do
  printf '%-14s %9ss\n' "$file --draft" "$(best "$batch" --no-settings -j 1 -s 160 --draft -d out "$file")"
done
