#!/usr/bin/env bash
# thumbrix-batch -j 1 on 40 photographs (3000 x 2000 JPEG) with each --format:
# best wall time of RUNS, per file, and the thumbnails' mean size.
# Take figures on an idle machine; the load average is printed with them.
# Usage: bench/output_formats.sh [BUILD_DIR] [RUNS] [SIZE]   (default build/release, 3 runs, 160)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
runs=${2:-3}
size=${3:-160}
batch="$build/bin/thumbrix-batch"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

source bench/corpus.sh
c++ -O2 -std=c++17 -o "$work/picturegen" scripts/picturegen.cpp
mkdir -p "$work/photos"
files=()
for n in $(seq 1 40); do
  f="$work/photos/photo$n.jpg"
  "$work/picturegen" 3000 2000 "$n" | cjpeg -quality 90 -outfile "$f"
  files+=("$f")
done
echo "40 photographs, 3000 x 2000, to $size px; load $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-6s %9s %9s %11s\n' format "best ms" "ms/file" "mean bytes"
for format in jpeg png webp avif; do
  times=()
  for _ in $(seq "$runs"); do
    rm -rf "$work/out" && mkdir "$work/out"
    start=$(now_ms)
    "$batch" --no-settings -j 1 --quiet -s "$size" --format "$format" -d "$work/out" "${files[@]}"
    times+=($(($(now_ms) - start)))
  done
  ms=$(printf '%s\n' "${times[@]}" | best)
  bytes=$(($(du -cb "$work"/out/* | tail -1 | cut -f1) / 40))
  printf '%-6s %9d %9.1f %11d\n' "$format" "$ms" "$(echo "$ms / 40" | bc -l)" "$bytes"
done
