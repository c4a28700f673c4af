#!/usr/bin/env bash
# thumbrix-batch against the plain decode of the same JPEG files at the same
# reduced scale (djpeg, one process per file, output thrown away), in one run:
# -j 1 against that floor, -j 2 against -j 1, and the two outputs compared.
# Take figures on an idle machine; the load average is printed with them.
# Usage: bench/batch.sh [BUILD_DIR] [RUNS]   (default build/release, 5 runs)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
runs=${2:-5}
batch="$build/bin/thumbrix-batch"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

source bench/corpus.sh
mkdir -p "$work/j1" "$work/j2"
make_corpus "$work"

decode_floor() {
  local start i
  start=$(now_ms)
  for i in "${!files[@]}"; do
    djpeg -scale "1/${scales[$i]}" -outfile /dev/null "${files[$i]}"
  done
  echo $(($(now_ms) - start))
}
batch_run() {
  local start
  start=$(now_ms)
  "$batch" -j "$1" --quiet -d "$2" "${files[@]}"
  echo $(($(now_ms) - start))
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
djpeg_ms=() j1_ms=() j2_ms=()
for _ in $(seq "$runs"); do
  djpeg_ms+=("$(decode_floor)")
  j1_ms+=("$(batch_run 1 "$work/j1")")
  j2_ms+=("$(batch_run 2 "$work/j2")")
done
echo "load after:  $(cut -d' ' -f1-3 /proc/loadavg)"
floor=$(printf '%s\n' "${djpeg_ms[@]}" | best)
one=$(printf '%s\n' "${j1_ms[@]}" | best)
two=$(printf '%s\n' "${j2_ms[@]}" | best)

same=$(same_thumbnails "$work/j1" "$work/j2")

echo "runs (ms):       djpeg ${djpeg_ms[*]} | -j 1 ${j1_ms[*]} | -j 2 ${j2_ms[*]}"
echo "djpeg floor:     ${floor} ms (best of $runs)"
echo "thumbrix-batch:  -j 1 ${one} ms, -j 2 ${two} ms (best of $runs, whole process)"
awk -v f="$floor" -v a="$one" -v b="$two" 'BEGIN {
  printf "-j 1 / floor:    %.3f (target at most 1.25)\n", a / f
  printf "-j 1 / -j 2:     %.3f (target at least 1.7)\n", a / b
}'
echo "-j 1 and -j 2:   $same"
