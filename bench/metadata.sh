#!/usr/bin/env bash
# A tiny picture behind 1 GB of APP1 segments (XMP-like, none of them EXIF)
# and 255 repeated ICC chunks: the decoder keeps only the first EXIF block and
# each ICC chunk once, so its time and memory are those of reading the file.
# Prints seconds and peak memory for thumbrix-batch and, for scale, djpeg
# (which streams the file; thumbrix-batch holds the whole file, read at once).
# Usage: bench/metadata.sh [BUILD_DIR] [MEGABYTES]   (default build/release, 1000)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
megabytes=${2:-1000}
batch="$build/bin/thumbrix-batch"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

convert -size 32x24 gradient:red-blue "$work/tiny.jpg"
python3 - "$work/tiny.jpg" "$work/padded.jpg" "$megabytes" <<'PY'
import sys
tiny = open(sys.argv[1], "rb").read()
body = b"http://ns.adobe.com/xap/1.0/\0" + bytes(65533 - 29)
app1 = b"\xff\xe1\xff\xff" + body
icc = b"\xff\xe2\xff\xff" + b"ICC_PROFILE\0\x01\x01" + bytes(65533 - 14)
count = int(sys.argv[3]) * 1000 * 1000 // len(app1)
with open(sys.argv[2], "wb") as out:
    out.write(tiny[:2])
    for _ in range(count):
        out.write(app1)
    for _ in range(255):
        out.write(icc)
    out.write(tiny[2:])
PY
ls -l "$work/padded.jpg" | awk '{printf "file: %.0f MB\n", $5 / 1e6}'

measure() {
  local name=$1
  shift
  /usr/bin/time -f "$name: %e s (%U s user, %S s system), %M KB peak" "$@" >/dev/null 2>"$work/time.txt" || true
  tail -1 "$work/time.txt"
}
mkdir "$work/out"
measure thumbrix-batch "$batch" --no-settings --quiet -j 1 -d "$work/out" "$work/padded.jpg"
measure djpeg djpeg -outfile /dev/null "$work/padded.jpg"
[ -s "$work/out/padded.jpg" ] && echo "thumbnail written" || echo "no thumbnail"
