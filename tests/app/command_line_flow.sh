#!/usr/bin/env bash
# Starts the real program on a virtual display with two files on its command
# line, presses "処理開始" with the mouse, and checks that both thumbnails were
# written, the program ended by itself and the settings file was rewritten.
# Usage: command_line_flow.sh PROGRAM [SCREENSHOT.png [SETTINGS-LINES]]
# SETTINGS-LINES are added to the settings file (for screenshots).
set -euo pipefail
program=$1
shot=${2:-}
extra=${3:-}
work=$(mktemp -d)
. "$(dirname "$0")/../support/virtualdisplay.sh"
trap 'stop_virtual_display; rm -rf "$work"' EXIT

# The settings file lives beside the program, so the program runs from here.
cp "$program" "$work/thumbrix"
mkdir "$work/out"
convert -size 300x200 gradient:red-blue "$work/a.jpg"
convert -size 200x300 gradient:green-yellow "BMP3:$work/b.bmp"
printf '[FilePAth]\nSave=%s/out/\n%b' "$work" "$extra" > "$work/thumbrix.ini"

start_virtual_display 640x480x24 "$work"
"$work/thumbrix" "$work/a.jpg" "$work/b.bmp" &
pid=$!
window=""
# A loaded machine may take many seconds to show the first window.
for _ in $(seq 300); do
  kill -0 $pid 2>/dev/null || { echo "the program ended before showing its window"; exit 1; }
  window=$(xdotool search --onlyvisible --name "^Thumbrix$" 2>/dev/null | head -1) || true
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "no window appeared on $DISPLAY; windows there:"
  xdotool search --name . getwindowname %@ 2>&1 | head -5 || true
  kill $pid
  exit 1
fi
sleep 0.5
[ -z "$shot" ] || import -window root -crop 281x280+0+0 "$shot"
# "処理開始" is 113x25 at (8, 152).
xdotool mousemove --window "$window" 64 164 click 1
for _ in $(seq 300); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then echo "the program did not end"; kill $pid; exit 1; fi

fail=0
for name in a.jpg b.jpg; do
  if [ -s "$work/out/$name" ]; then
    echo "written: out/$name ($(identify -format '%wx%h %m' "$work/out/$name"))"
  else
    echo "missing: out/$name"; fail=1
  fi
done
grep -q '^\[WinPos\]' "$work/thumbrix.ini" && grep -q '^Size=' "$work/thumbrix.ini" ||
  { echo "settings file not rewritten:"; cat "$work/thumbrix.ini"; fail=1; }
[ -n "$extra" ] || grep -q '^Size=32' "$work/thumbrix.ini" ||
  { echo "size not stored as 32:"; cat "$work/thumbrix.ini"; fail=1; }
[ $fail -eq 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit $fail
