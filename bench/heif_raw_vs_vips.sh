#!/usr/bin/env bash
# thumbrix-batch -j 1 against vipsthumbnail with one thread, to 160 px, on the
# same 4000 x 3000 HEIC, AVIF and DNG files (three copies of each, the best of
# RUNS runs). vipsthumbnail here reads no RAW file, so for DNG it gets the
# embedded JPEG preview itself, which is what both end in.
# Usage: bench/heif_raw_vs_vips.sh [BUILD_DIR] [RUNS]   (default build/release, 3 runs)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
runs=${2:-3}
batch="$build/bin/thumbrix-batch"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
now_ms() { date +%s%3N; }

# A photograph-like picture: a sample scaled up, with grain so that the
# codecs have detail to code.
convert tests/data/public/jpeg/testorig.jpg -resize '4000x3000!' -attenuate 0.4 \
  +noise Gaussian -quality 92 "$work/picture.jpg"
convert "$work/picture.jpg" "$work/picture.png"
heif-enc -q 80 "$work/picture.png" -o "$work/picture.heic" >/dev/null
vips copy "$work/picture.png" "$work/picture.avif[Q=60]"
bench/dngfile.py "$work/picture.jpg" 4000 3000 "$work/picture.dng"
for kind in heic avif dng jpg; do
  mkdir -p "$work/$kind" "$work/out-$kind-t" "$work/out-$kind-v"
  for n in 1 2 3; do cp "$work/picture.$kind" "$work/$kind/p$n.$kind"; done
done

best() {  # the smallest of the arguments
  printf '%s\n' "$@" | sort -n | head -n 1
}
timed() {
  local start
  start=$(now_ms)
  "$@" >/dev/null 2>&1
  echo $(($(now_ms) - start))
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-6s %12s %12s %8s\n' format thumbrix_ms vips_ms 'file'
for kind in heic avif dng; do
  vips_kind=$kind
  [ "$kind" = dng ] && vips_kind=jpg
  t=() v=()
  for _ in $(seq "$runs"); do
    t+=("$(timed "$batch" -j 1 --quiet -s 160 -d "$work/out-$kind-t" "$work/$kind"/*)")
    v+=("$(timed env VIPS_CONCURRENCY=1 vipsthumbnail -s 160 -o "$work/out-$kind-v/%s.jpg" \
      "$work/$vips_kind"/*)")
  done
  printf '%-6s %12s %12s %8s\n' "$kind" "$(best "${t[@]}")" "$(best "${v[@]}")" \
    "$(($(stat -c %s "$work/picture.$kind") / 1024)) KiB"
  for side in t v; do
    [ "$(ls "$work/out-$kind-$side" | wc -l)" -eq 3 ] ||
      { echo "$side: not three thumbnails for $kind" >&2; exit 1; }
  done
done
echo "(3 files per run; milliseconds for all three)"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
