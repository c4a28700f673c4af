#!/usr/bin/env bash
# The main window's run against thumbrix-batch on the same 3000x2000
# photographs at size 160, in one session: the window with its decode-ahead
# workers against -j (number of cores), and with one worker against -j 1.
# Runs alternate, so that a load from elsewhere falls on both alike; the best
# of RUNS counts. The batch is timed as a whole process. Also gives the CPU
# time of each, and the peak memory of a window run over these and over
# COUNT copies of one 6000x4000 photograph.
# Usage: bench/window_vs_batch.sh [BUILD_DIR] [PHOTO_DIR]
#   BUILD_DIR default build/release; PHOTO_DIR keeps the photographs between
#   runs (made when missing). COUNT (40) and RUNS (5) in the environment.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
count=${COUNT:-40}
runs=${RUNS:-5}
cores=$(nproc)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
photos=${2:-$work/photos}

mkdir -p "$photos" "$work/window" "$work/batch"
for i in $(seq 1 "$count"); do
  [ -s "$photos/photo$i.jpg" ] && continue
  convert -seed "$i" -size 3000x2000 plasma:fractal -blur 0x1 -quality 90 "$photos/photo$i.jpg"
done
files=()
for i in $(seq 1 "$count"); do files+=("$photos/photo$i.jpg"); done

# One timed command: prints "wall_ms cpu_ms peak_kib".
measure() {
  local start end user sys peak
  start=$(date +%s%N)
  /usr/bin/time -f "%U %S %M" -o "$work/time" "$@" >"$work/out" 2>/dev/null
  end=$(date +%s%N)
  read -r user sys peak <"$work/time"
  awk -v w="$(((end - start) / 1000000))" -v u="$user" -v s="$sys" -v p="$peak" \
    'BEGIN { printf "%d %d %d\n", w, (u + s) * 1000, p }'
}
# The window's time is that of its run, as the program prints it (start-up,
# the first paint, the folder tree and closing are not the run); CPU and
# memory are the whole process's.
window() {
  local line
  line=$(WORKERS=$1 QT_QPA_PLATFORM=offscreen \
    measure "$build/bench/bench_window_run" "$work/window" 160 "${files[@]}")
  echo "$(cut -d. -f1 "$work/out") ${line#* }"
}
batch() {
  measure "$build/bin/thumbrix-batch" -j "$1" --quiet -s 160 -d "$work/batch" "${files[@]}"
}

: >"$work/all"
for _ in $(seq "$runs"); do
  echo "window-$cores $(window "$cores")" >>"$work/all"
  echo "batch-$cores $(batch "$cores")" >>"$work/all"
  echo "window-1 $(window 1)" >>"$work/all"
  echo "batch-1 $(batch 1)" >>"$work/all"
done
# Memory: a large photograph, each copy a file of its own to the window.
convert -seed 1 -size 1500x1000 plasma:fractal -resize 6000x4000 -quality 90 "$work/large.jpg"
mkdir "$work/large" "$work/large-out"
large=()
for i in $(seq 1 "$count"); do
  cp "$work/large.jpg" "$work/large/large$i.jpg"
  large+=("$work/large/large$i.jpg")
done
large_peak=$(WORKERS=$cores QT_QPA_PLATFORM=offscreen \
  measure "$build/bench/bench_window_run" "$work/large-out" 160 "${large[@]}" | cut -d' ' -f3)
same="identical"
for f in "$work/batch"/*.jpg; do cmp -s "$f" "$work/window/${f##*/}" || same="DIFFERENT"; done

best() { awk -v k="$1" -v c="$2" '$1 == k { if (m == "" || $c < m) m = $c } END { print m }' "$work/all"; }
echo "$count photographs 3000x2000, size 160, best of $runs, whole processes"
echo "load average before/after: $load_before / $(cut -d' ' -f1-3 /proc/loadavg)"
for j in "$cores" 1; do
  w=$(best "window-$j" 2) b=$(best "batch-$j" 2)
  wc=$(best "window-$j" 3) bc=$(best "batch-$j" 3)
  printf 'workers/-j %s: window %5d ms (cpu %5d ms)  batch %5d ms (cpu %5d ms)  window/batch %.3f\n' \
    "$j" "$w" "$wc" "$b" "$bc" "$(awk -v w="$w" -v b="$b" 'BEGIN { print w / b }')"
done
echo "peak memory of a window run: $(best "window-$cores" 4) KiB; over $count 6000x4000 photographs $large_peak KiB (decode budget 1536 MiB)"
echo "thumbnails: $same"
