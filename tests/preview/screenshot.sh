#!/usr/bin/env bash
# Makes docs/preview.png and docs/main-window.png: the preview window showing
# a photograph's thumbnail at "x 2", and the main window beside it, on a
# virtual screen of their own.
# Usage: tests/preview/screenshot.sh PHOTO.jpg [MORE FILES...]
# The photograph is listed as photo.jpg, first; more files for the list should
# have names that sort after it. THUMBRIX names the program to run (default:
# build/release/bin/thumbrix). The windows speak the language of LANG; SUFFIX
# is put before ".png" in the file names (e.g. SUFFIX=-en). Needs Xvfb, xdotool and ImageMagick. The clicks
# are at the places the windows have with the program's font.
set -euo pipefail
photo=$(realpath "$1")
shift
cd "$(dirname "$0")/../.."
program=${THUMBRIX:-$(pwd)/build/release/bin/thumbrix}
work=$(mktemp -d)
. tests/support/virtualdisplay.sh
trap 'stop_virtual_display; rm -rf "$work"' EXIT
# The settings file lives beside the program, so the program runs from here.
cp "$program" "$work/thumbrix"
pics=$work/Photos
mkdir -p "$pics/2024" "$pics/Thumbs"
cp "$photo" "$pics/photo.jpg"
[ $# -eq 0 ] || cp "$@" "$pics/"
printf '%s\n' '[WinPos]' 'x=420' 'y=0' '[FilePAth]' "Load=$pics/" "Save=$pics/Thumbs/" \
  '[IconImage]' 'Size=120' '[JpegOption]' 'QualityV=100' '[FileName]' 'A=s_' 'B=_t' \
  >"$work/thumbrix.ini"

start_virtual_display 1024x768x24 "$work"
"$work/thumbrix" &
pid=$!
sleep 3
xdotool mousemove 514 164 click 1; sleep 1   # main window: プレビュー
xdotool mousemove 30 173 click 1; sleep 1    # the first file of the list
# The menus by their access keys, which are the same in every language.
xdotool key alt+v; sleep 1                   # 表示(V)
xdotool key m; sleep 1                       # 倍率(M)
xdotool key Down Return; sleep 1             # x 2
xdotool mousemove 600 400; sleep 0.5         # no tooltip over the windows
import -window root "$work/screen.png"
kill $pid
convert "$work/screen.png" -crop 397x290+0+0 +repage "docs/preview${SUFFIX:-}.png"
convert "$work/screen.png" -crop 281x280+420+0 +repage "docs/main-window${SUFFIX:-}.png"
