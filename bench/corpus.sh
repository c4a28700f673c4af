# Sourced by the batch benchmarks: makes the benchmark corpus, 24 untagged
# photographs, 6 for each decode scale (full, 1/2, 1/4, 1/8), in WORK/photos.
# Sets files[] and scales[] (the scale djpeg needs for a thumbnail of each).
# Usage: make_corpus WORK
make_corpus() {
  local work=$1 n=0 row w h scale f
  c++ -O2 -std=c++17 -o "$work/picturegen" scripts/picturegen.cpp
  mkdir -p "$work/photos"
  files=() scales=()
  for row in "1600 1200 1" "3000 2000 2" "4800 3200 4" "8000 4500 8"; do
    read -r w h scale <<<"$row"
    for _ in 1 2 3 4 5 6; do
      n=$((n + 1))
      f="$work/photos/photo$n.jpg"
      "$work/picturegen" "$w" "$h" "$n" | cjpeg -quality 90 -outfile "$f"
      files+=("$f") scales+=("$scale")
    done
  done
  echo "made ${#files[@]} photographs ($(du -sh "$work/photos" | cut -f1)) in $work/photos"
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }
best() { sort -n | head -1; }
median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

# "identical" when folders A and B hold the same thumbnail, byte for byte, of
# every corpus photograph.
same_thumbnails() {
  local f
  [ "$(ls "$1" | wc -l)" -eq "${#files[@]}" ] && [ "$(ls "$2" | wc -l)" -eq "${#files[@]}" ] ||
    { echo "MISSING FILES"; return; }
  for f in "$1"/*; do
    cmp -s "$f" "$2/$(basename "$f")" || { echo DIFFERENT; return; }
  done
  echo identical
}
