#!/usr/bin/env bash
# The main window's run against thumbrix-batch -j 1 on the same ten
# 3000x2000 photographs at size 160, in one session.
# Usage: bench/window_vs_batch.sh [BUILD_DIR]   (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/photos" "$work/window" "$work/batch"
echo "making 10 photographs of 3000x2000 in $work/photos"
for i in $(seq 1 10); do
  convert -seed "$i" -size 3000x2000 plasma:fractal -blur 0x1 \
    -quality 90 "$work/photos/photo$i.jpg"
done

runs=5
best() { sort -n | head -1; }
window_ms=$(for _ in $(seq $runs); do
  QT_QPA_PLATFORM=offscreen "$build/bench/bench_window_run" "$work/window" 160 "$work"/photos/*.jpg
done | best)
hidden_ms=$(for _ in $(seq $runs); do
  HIDDEN=1 QT_QPA_PLATFORM=offscreen "$build/bench/bench_window_run" "$work/window" 160 "$work"/photos/*.jpg
done | best)
batch_ms=$(for _ in $(seq $runs); do
  start=$(date +%s%N)
  "$build/bin/thumbrix-batch" -j 1 --quiet -s 160 -d "$work/batch" "$work"/photos/*.jpg
  echo $(( ($(date +%s%N) - start) / 1000000 ))
done | best)

cmp -s <(cd "$work/window" && cat *.jpg) <(cd "$work/batch" && cat *.jpg) &&
  same="identical" || same="DIFFERENT"
echo "window run:            ${window_ms} ms (best of $runs)"
echo "window run, not shown: ${hidden_ms} ms (best of $runs)"
echo "thumbrix-batch -j 1:   ${batch_ms} ms (best of $runs, whole process)"
echo "thumbnails:            $same"
awk -v w="$window_ms" -v b="$batch_ms" 'BEGIN { printf "window / batch:        %.3f\n", w / b }'
