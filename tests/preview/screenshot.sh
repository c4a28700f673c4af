#!/bin/sh
# Makes docs/preview.png: the preview window showing a photograph's thumbnail
# at "x 2", on a virtual screen.
# Usage: tests/preview/screenshot.sh PHOTO.jpg [MORE FILES...]
# The photograph is listed as photo.jpg, first; more files for the list should
# have names that sort after it.
# Needs a built build/h-preview, Xvfb, xdotool and ImageMagick. The clicks are
# at the places the windows have with the program's font on a 1024x768 screen.
set -eu
photo=$(realpath "$1")
shift
cd "$(dirname "$0")/../.."
program=$(pwd)/build/h-preview/bin/thumbrix
work=$(mktemp -d)
pics=$work/Photos
shot=$work/screen.png
trap 'rm -rf "$work" "$program.ini"' EXIT
mkdir "$pics"
cp "$photo" "$pics/photo.jpg"
[ $# -eq 0 ] || cp "$@" "$pics/"
printf '[WinPos]\nx=420\ny=0\n[FilePAth]\nLoad=%s/\n[IconImage]\nSize=120\n' "$pics" >"$program.ini"

xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
  "$1" & pid=$!
  sleep 3
  xdotool mousemove 514 164 click 1; sleep 1   # main window: プレビュー
  xdotool mousemove 30 173 click 1; sleep 1    # the first file of the list
  xdotool mousemove 128 8 click 1; sleep 1     # 表示(V)
  xdotool mousemove 145 29 click 1; sleep 1    # 倍率(M)
  xdotool mousemove 220 49 click 1; sleep 1    # x 2
  import -window root "$2"
  kill $pid' sh "$program" "$shot"
/usr/bin/convert "$shot" -crop 397x290+0+0 +repage docs/preview.png
