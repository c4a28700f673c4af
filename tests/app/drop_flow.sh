#!/usr/bin/env bash
# Drops photographs on the real program from another program, by XDND
# on a virtual display, and checks that the drag source hears "drop finished"
# before the first thumbnail is written; a second drag during that run must
# be refused, and every thumbnail of the first drop written.
# Usage: drop_flow.sh PROGRAM DRAGSOURCE
set -euo pipefail
program=$1
source=$2
work=$(mktemp -d)
. "$(dirname "$0")/../support/virtualdisplay.sh"
trap 'stop_virtual_display; rm -rf "$work"' EXIT

cp "$program" "$work/thumbrix"
mkdir "$work/out" "$work/in"
# Enough of them that the run outlasts the second drag, which takes about a
# second, with the window decoding ahead on every core.
count=120
convert -size 2400x1800 plasma:fractal -seed 1 "$work/in/p000.jpg"
for i in $(seq -w 1 $((count - 1))); do cp "$work/in/p000.jpg" "$work/in/p$i.jpg"; done
convert -size 64x48 gradient:red-blue "$work/q.jpg"  # dragged second
printf '[FilePAth]\nSave=%s/out/\n[IconImage]\nSize=160\n' "$work" > "$work/thumbrix.ini"

start_virtual_display 640x480x24 "$work"
"$work/thumbrix" &
pid=$!
"$source" "$work"/in/*.jpg -- "$work/q.jpg" >"$work/source.log" &
spid=$!
find_window() {
  for _ in $(seq 300); do
    w=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) || true
    [ -n "$w" ] && { echo "$w"; return; }
    sleep 0.1
  done
  echo "no window $1" >&2; kill $pid $spid; exit 1
}
window=$(find_window "^Thumbrix$")
find_window "^dragsource$" >/dev/null
sleep 0.5
# Pressed on the source at (460, 360), moved in steps onto the main window's
# left part (40, 80), released there.
drag() {
  xdotool mousemove 460 360 mousedown 1
  for xy in "440 340" "300 250" "150 150" "60 90" "40 80" "42 82"; do
    xdotool mousemove $xy; sleep 0.1
  done
  xdotool mouseup 1
}
drag
# The second drag starts once the run has begun and before it ends.
for _ in $(seq 100); do grep -q '^finished' "$work/source.log" && break; sleep 0.05; done
drag
for _ in $(seq 600); do
  [ "$(ls "$work"/out/p*.jpg 2>/dev/null | wc -l)" -ge $count ] && [ "$(grep -c '^refused\|^dropped' "$work/source.log")" -ge 2 ] && break
  sleep 0.1
done
sleep 1
kill $pid $spid 2>/dev/null || true

cat "$work/source.log"
fail=0
finished=$(awk '/^finished/ {print $2; exit}' "$work/source.log")
first=$(stat -c '%.9Y' "$work"/out/p*.jpg 2>/dev/null | sort -n | head -1 | tr -d .)
written=$(ls "$work/out" | wc -l)
echo "thumbnails: $written; first written at ${first:-none}; drop finished at ${finished:-never}"
[ "$written" -eq $count ] && [ ! -e "$work/out/q.jpg" ] ||
  { echo "expected the $count thumbnails of the first drop alone"; fail=1; }
[ -n "$finished" ] && [ -n "$first" ] && [ "$finished" -lt "$first" ] ||
  { echo "the drop was not finished before the first thumbnail"; fail=1; }
outcomes=$(grep -E '^(dropped|refused)' "$work/source.log" | cut -d' ' -f1 | tr '\n' ' ')
[ "$outcomes" = "dropped refused " ] ||
  { echo "expected the first drop taken and the second refused, got: $outcomes"; fail=1; }
refused=$(awk '/^refused/ {print $2; exit}' "$work/source.log")
last=$(stat -c '%.9Y' "$work"/out/p*.jpg 2>/dev/null | sort -n | tail -1 | tr -d .)
[ -n "$refused" ] && [ "$refused" -lt "$last" ] ||
  { echo "the second drag did not come during the run"; fail=1; }
[ $fail -eq 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit $fail
