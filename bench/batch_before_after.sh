#!/usr/bin/env bash
# Two builds of thumbrix-batch on the same corpus of untagged photographs,
# run alternately (-j 1) so that the machine's drift falls on both alike:
# the time of each, the ratio, and whether their thumbnails are byte-identical.
# Take figures on an idle machine; the load average is printed with them.
# Usage: bench/batch_before_after.sh BEFORE_BUILD AFTER_BUILD [RUNS]   (default 9 runs)
set -euo pipefail
cd "$(dirname "$0")/.."
before="$1/bin/thumbrix-batch"
after="$2/bin/thumbrix-batch"
runs=${3:-9}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

source bench/corpus.sh
mkdir -p "$work/before" "$work/after"
make_corpus "$work"

timed() {
  local start
  start=$(now_ms)
  "$1" -j 1 --quiet -d "$2" "${files[@]}"
  echo $(($(now_ms) - start))
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
before_ms=() after_ms=()
for _ in $(seq "$runs"); do
  before_ms+=("$(timed "$before" "$work/before")")
  after_ms+=("$(timed "$after" "$work/after")")
done
echo "load after:  $(cut -d' ' -f1-3 /proc/loadavg)"

same=$(same_thumbnails "$work/before" "$work/after")

echo "runs (ms):  before ${before_ms[*]} | after ${after_ms[*]}"
b_best=$(printf '%s\n' "${before_ms[@]}" | best)
a_best=$(printf '%s\n' "${after_ms[@]}" | best)
b_med=$(printf '%s\n' "${before_ms[@]}" | median)
a_med=$(printf '%s\n' "${after_ms[@]}" | median)
awk -v bb="$b_best" -v ab="$a_best" -v bm="$b_med" -v am="$a_med" 'BEGIN {
  printf "best:       before %d ms, after %d ms, after/before %.4f\n", bb, ab, ab / bb
  printf "median:     before %d ms, after %d ms, after/before %.4f\n", bm, am, am / bm
}'
echo "thumbnails: $same"
