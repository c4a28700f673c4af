#!/usr/bin/env bash
# The README's GNU parallel recipe on this machine, two parts at once: the
# thumbnails must be byte for byte those of one run, and a second pass must
# find everything up to date.
# Usage: parallel_recipe.sh THUMBRIX_BATCH SAMPLES_DIR
set -euo pipefail
batch=$1
samples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# A small library: camera names in several folders, a space, a hidden folder.
for folder in "Photos/2019/a" "Photos/2019/b b" "Photos/2020" "Photos/.cache"; do
  mkdir -p "$folder"
  find "$samples" -maxdepth 1 -type f ! -name '*.md' -exec cp {} "$folder"/ \;
  cp "$samples/beach.jpg" "$folder/IMG_0001.JPG"
done

mkdir one two
"$batch" -r --base Photos -d one --update --quiet Photos

find Photos -type f \( -iname '*.jpg' -o -iname '*.jpeg' -o -iname '*.bmp' \) \
     -not -path '*/.*' -print0 > photos.list
run_parts() {
  parallel --will-cite --pipepart -a photos.list --recend '\0' --block -1 -j 2 \
    "$batch -0 --files-from - --base Photos -d two --update --quiet --report report.\$PARALLEL_SEQ"
}
run_parts
diff -r one two
count=$(find one -type f | wc -l)
[ "$count" -eq 15 ] || { echo "expected 15 thumbnails, found $count"; exit 1; }
[ "$(ls report.* | wc -l)" -ge 2 ] || { echo "the list was not split"; exit 1; }

# Run again: every part skips everything.
rm report.*
run_parts
if cat report.* | grep -v '"status":"skipped"'; then
  echo "a second pass remade thumbnails"
  exit 1
fi
diff -r one two
echo "parallel recipe: $count thumbnails identical to one run"
