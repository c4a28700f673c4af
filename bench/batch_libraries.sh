#!/usr/bin/env bash
# thumbrix-batch over libraries, each figure from whole processes:
#  1. --update: the second run over an unchanged library of N files (default
#     20,000 copies of 640 x 480 photographs in folders of 200) against the
#     first, in CPU seconds and wall time.
#  2. --draft at -j 1 against the exact mode and against Pillow's draft mode
#     (Image.draft + reduce, through Image.thumbnail, one process for all
#     files) on the 24 photographs of bench/batch.sh, in CPU seconds (best of
#     3), with the mean absolute error of each against the exact thumbnails
#     (0..255 per channel).
#  3. --optimize: the bytes saved on both sets.
# CPU seconds are compared because a shared machine stretches wall times.
# Usage: bench/batch_libraries.sh [BUILD_DIR] [FILES]  (default build/release,
# 20000; 0 leaves out the library parts)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
count=${2:-20000}
batch="$PWD/$build/bin/thumbrix-batch"
pil=/usr/bin/python3  # Debian's python3-pil
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# CPU seconds (user + system), wall seconds and peak kB of one command.
measure() { /usr/bin/time -f "%U %S %e %M" -o "$work/time" "$@" >/dev/null; awk '{printf "%.2f %.2f %d", $1 + $2, $3, $4}' "$work/time"; }

c++ -O2 -std=c++17 -o picturegen "$OLDPWD/scripts/picturegen.cpp"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"

# 1. --update
mkdir -p seeds library out
if [ "$count" -gt 0 ]; then
for n in 1 2 3 4 5 6 7 8; do ./picturegen 640 480 "$n" | cjpeg -quality 90 -outfile "seeds/$n.jpg"; done
"$pil" - "$count" <<'PY'
import os, shutil, sys
for i in range(int(sys.argv[1])):
    folder = f"library/d{i // 200}"
    os.makedirs(folder, exist_ok=True)
    shutil.copyfile(f"seeds/{i % 8 + 1}.jpg", f"{folder}/IMG_{i}.jpg")
PY
read -r cpu1 wall1 _ <<<"$(measure "$batch" -r --update --quiet -j 2 -d out library)"
read -r cpu2 wall2 _ <<<"$(measure "$batch" -r --update --quiet -j 2 -d out library)"
echo "--update, $count files: first run ${cpu1} s CPU (${wall1} s wall), second ${cpu2} s CPU (${wall2} s wall)"
awk -v a="$cpu1" -v b="$cpu2" -v c="$wall1" -v d="$wall2" \
  'BEGIN { printf "  second / first: %.2f %% of the CPU, %.2f %% of the wall time (target < 5 %%)\n", 100 * b / a, 100 * d / c }'
fi

# 2. and 3. on the benchmark corpus
mkdir -p photos exact draft optimized pillow
n=0
for row in "1600 1200" "3000 2000" "4800 3200" "8000 4500"; do
  read -r w h <<<"$row"
  for _ in 1 2 3 4 5 6; do
    n=$((n + 1))
    ./picturegen "$w" "$h" "$n" | cjpeg -quality 90 -outfile "photos/photo$n.jpg"
  done
done
for size in 32 160; do
  rm -rf exact/* draft/* optimized/* pillow/*
  best() { sort -n | head -1; }
  e=() d=()
  for _ in 1 2 3; do
    e+=("$(measure "$batch" -j 1 --quiet -s "$size" -d exact photos/*.jpg | cut -d' ' -f1)")
    d+=("$(measure "$batch" -j 1 --quiet --draft -s "$size" -d draft photos/*.jpg | cut -d' ' -f1)")
  done
  exact_s=$(printf '%s\n' "${e[@]}" | best)
  draft_s=$(printf '%s\n' "${d[@]}" | best)
  "$batch" -j 1 --quiet --optimize -s "$size" -d optimized photos/*.jpg
  pillow_s=$("$pil" - "$size" photos pillow <<'PY'
import os, sys, time
from PIL import Image
size, src, dst = int(sys.argv[1]), sys.argv[2], sys.argv[3]
names = sorted(os.listdir(src))
best = None
for _ in range(3):
    start = time.process_time()
    for name in names:
        with Image.open(os.path.join(src, name)) as im:
            im.thumbnail((size, size), Image.Resampling.BOX, reducing_gap=2.0)  # draft + reduce
            im.save(os.path.join(dst, name), quality=60)
    t = time.process_time() - start
    best = t if best is None else min(best, t)
print(f"{best:.2f}")
PY
)
  errors=$("$pil" - exact draft pillow <<'PY'
import os, sys
from PIL import Image, ImageChops, ImageStat
exact, draft, pillow = sys.argv[1:4]
def error(a, b):
    with Image.open(a) as x, Image.open(b) as y:
        x, y = x.convert("RGB"), y.convert("RGB")
        if x.size != y.size:
            y = y.resize(x.size, Image.Resampling.BOX)
        return sum(ImageStat.Stat(ImageChops.difference(x, y)).mean) / 3
names = sorted(os.listdir(exact))
d = sum(error(os.path.join(exact, n), os.path.join(draft, n)) for n in names) / len(names)
p = sum(error(os.path.join(exact, n), os.path.join(pillow, n)) for n in names) / len(names)
print(f"{d:.2f} {p:.2f}")
PY
)
  read -r derr perr <<<"$errors"
  plain_b=$(cat exact/* | wc -c)
  opt_b=$(cat optimized/* | wc -c)
  echo "size $size, 24 photographs, -j 1 (best of 3, CPU seconds):"
  echo "  exact ${exact_s} s, --draft ${draft_s} s, Pillow draft ${pillow_s} s"
  awk -v e="$exact_s" -v d="$draft_s" -v p="$pillow_s" \
    'BEGIN { printf "  --draft speed-up: %.2fx against exact, %.2fx against Pillow\n", e / d, p / d }'
  echo "  mean error against exact: --draft ${derr}, Pillow ${perr} (0..255)"
  awk -v a="$plain_b" -v b="$opt_b" \
    'BEGIN { printf "  --optimize: %d -> %d bytes, %.1f %% saved\n", a, b, 100 * (a - b) / a }'
done
[ "$count" -gt 0 ] || exit 0
rm -rf optimized/*
"$batch" -r --quiet -j 2 -d out library >/dev/null 2>&1 || true
plain_b=$(find out -name '*.jpg' -exec cat {} + | wc -c)
mkdir -p opt2
"$batch" -r --quiet -j 2 --optimize -d opt2 library
opt_b=$(find opt2 -name '*.jpg' -exec cat {} + | wc -c)
awk -v a="$plain_b" -v b="$opt_b" -v n="$count" \
  'BEGIN { printf "--optimize on %d 32-pixel thumbnails: %d -> %d bytes, %.1f %% saved\n", n, a, b, 100 * (a - b) / a }'
echo "load after:  $(cut -d' ' -f1-3 /proc/loadavg)"
