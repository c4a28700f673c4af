#!/usr/bin/env bash
# Installs Thumbrix into a temporary DESTDIR and checks it as a user meets it:
# what lands where, the desktop entry and metainfo through their validators,
# the man pages and the completion against --help, and both programs run as
# the unprivileged user nobody from a read-only copy of the prefix.
# Usage: install_test.sh BUILD_DIR SAMPLES_DIR
set -euo pipefail
build=$1
samples=$2
id=org.thumbrix.Thumbrix
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
chmod 755 "$work"

passed=0
failed=0
ok() { passed=$((passed + 1)); }
bad() { echo "FAILED: $*"; failed=$((failed + 1)); }
check() { # WHAT COMMAND...
  local what=$1
  shift
  if "$@"; then ok; else bad "$what"; fi
}

DESTDIR=$work/stage cmake --install "$build" --prefix /usr >"$work/install.log"
prefix=$work/stage/usr

# -- the layout ---------------------------------------------------------------
expected=(
  bin/thumbrix bin/thumbrix-batch
  share/applications/$id.desktop
  share/metainfo/$id.metainfo.xml
  share/icons/hicolor/scalable/apps/$id.svg
  share/man/man1/thumbrix.1.gz share/man/man1/thumbrix-batch.1.gz
  share/bash-completion/completions/thumbrix-batch
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x$size/apps/$id.png")
done
for file in "${expected[@]}"; do check "$file installed" test -s "$prefix/$file"; done
check "programs executable" test -x "$prefix/bin/thumbrix" -a -x "$prefix/bin/thumbrix-batch"
unexpected=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort |
  comm -23 - <(printf '%s\n' "${expected[@]}" | sort))
check "nothing else installed: $unexpected" test -z "$unexpected"
for size in 16 22 24 32 48 64 128 256; do
  check "icon $size" test "$(identify -format %wx%h \
    "$prefix/share/icons/hicolor/${size}x$size/apps/$id.png")" = "${size}x$size"
done
check "desktop entry runs the window with the files" \
  grep -qx 'Exec=thumbrix %F' "$prefix/share/applications/$id.desktop"

# -- validators, man pages, completion ----------------------------------------
if command -v desktop-file-validate >/dev/null; then
  check "desktop-file-validate" desktop-file-validate "$prefix/share/applications/$id.desktop"
else
  echo "skipped: desktop-file-validate is not installed"
fi
if command -v appstreamcli >/dev/null; then
  if appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" \
    >"$work/appstream.log" 2>&1; then ok; else bad "appstreamcli validate"; cat "$work/appstream.log"; fi
else
  echo "skipped: appstreamcli is not installed"
fi

help=$("$prefix/bin/thumbrix-batch" --help)
mapfile -t options < <(grep -oE -- '--[a-z][a-z-]*' <<<"$help" | sort -u)
check "--help lists options" test ${#options[@]} -ge 10
if command -v man >/dev/null; then
  for page in thumbrix thumbrix-batch; do
    MANWIDTH=200 LC_ALL=C.UTF-8 man -l "$prefix/share/man/man1/$page.1.gz" \
      >"$work/$page.txt" 2>"$work/$page.err"
    check "man -l $page renders" grep -q 'EXIT STATUS' "$work/$page.txt"
    check "man -l $page without warnings: $(cat "$work/$page.err")" test ! -s "$work/$page.err"
    check "man $page: the settings file" grep -q 'thumbrix/thumbrix.ini' "$work/$page.txt"
  done
  for option in "${options[@]}"; do
    check "man page names $option" grep -q -- "$option" "$work/thumbrix-batch.txt"
  done
else
  echo "skipped: man is not installed"
fi
completion=$prefix/share/bash-completion/completions/thumbrix-batch
for option in "${options[@]}"; do
  check "completion offers $option" grep -q -- "$option" "$completion"
done
if [ -r /usr/share/bash-completion/bash_completion ]; then
  offered=$(bash -c 'source /usr/share/bash-completion/bash_completion; source "$1"
    COMP_WORDS=(thumbrix-batch --qu); COMP_CWORD=1; COMP_LINE="thumbrix-batch --qu"
    COMP_POINT=${#COMP_LINE}; _thumbrix_batch thumbrix-batch --qu thumbrix-batch
    echo "${COMPREPLY[*]}"' _ "$completion")
  check "completion of --qu: '$offered'" test "$offered" = "--quality --quiet"
else
  echo "skipped: bash-completion is not installed"
fi

# -- run as nobody from a read-only copy ----------------------------------------
if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: running as nobody needs root"
else
  ro=$work/ro
  cp -a "$prefix" "$ro"
  chmod -R a+rX,a-w "$ro"
  home=$work/home
  mkdir -p "$home/pics" "$home/here" "$home/out" "$home/Pictures"
  cp "$samples/beach.jpg" "$samples/tiles.bmp" "$home/pics/"
  chown -R nobody: "$home"
  touch "$work/stamp"
  as_nobody() {
    runuser -u nobody -- env -i HOME="$home" PATH=/usr/bin:/bin LC_ALL=C.UTF-8 "$@"
  }
  longer_side() { identify -format '%[fx:max(w,h)]' "$1" 2>/dev/null || echo none; }

  check "--help names ~/.config/thumbrix/thumbrix.ini" \
    grep -qF "$home/.config/thumbrix/thumbrix.ini" <<<"$(as_nobody "$ro/bin/thumbrix-batch" --help)"
  # A bare copy of the programs in a folder the user may not write into.
  mkdir "$work/copy" && cp "$prefix/bin/thumbrix-batch" "$work/copy/" && chmod 555 "$work/copy"
  check "a read-only copy uses ~/.config too" grep -qF "$home/.config/thumbrix/thumbrix.ini" \
    <<<"$(as_nobody "$work/copy/thumbrix-batch" --help)"
  # Root may write anywhere: the same copy in a writable folder keeps its own.
  chmod 755 "$work/copy"
  check "a writable copy keeps its settings beside it" grep -qF "$work/copy/thumbrix.ini" \
    <<<"$("$work/copy/thumbrix-batch" --help)"
  (cd "$home/here" && as_nobody "$ro/bin/thumbrix-batch" --quiet \
    "$home/pics/beach.jpg" "$home/pics/tiles.bmp") || bad "thumbrix-batch without -d"
  check "without -d: into the current folder" \
    test "$(longer_side "$home/here/beach.jpg") $(longer_side "$home/here/tiles.jpg")" = "32 32"
  as_nobody "$ro/bin/thumbrix-batch" --quiet -d "$home/out" -s 80 "$home/pics/beach.jpg" ||
    bad "thumbrix-batch -d"
  check "with -d: into that folder" test "$(longer_side "$home/out/beach.jpg")" = 80

  if command -v Xvfb >/dev/null && command -v xdotool >/dev/null; then
    # The window in command-line mode: "処理開始" converts, closes and writes
    # the settings; an error box would keep it open. Xvfb picks a free display
    # itself: tests started at the same time must not race for one. It must not
    # reset when a probing client leaves, or the window may fail to connect.
    run_window() {
      rm -f "$home/display"
      as_nobody bash -c '
        Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp -noreset 3>"$HOME/display" 2>/dev/null &
        xvfb=$!
        trap "kill $xvfb" EXIT
        for _ in $(seq 100); do [ -s "$HOME/display" ] && break; sleep 0.1; done
        export DISPLAY=:$(cat "$HOME/display")
        "$0" "$1" & pid=$!
        for _ in $(seq 150); do
          window=$(xdotool search --onlyvisible --name "^Thumbrix$" 2>/dev/null | head -1) || true
          [ -n "$window" ] && break; sleep 0.1
        done
        [ -n "$window" ] || { echo "no window appeared"; kill $pid; exit 1; }
        sleep 0.5
        xdotool mousemove --window "$window" 64 164 click 1
        for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
        if kill -0 $pid 2>/dev/null; then echo "the window did not close"; kill $pid; exit 1; fi
        wait $pid' "$ro/bin/thumbrix" "$home/pics/tiles.bmp"
    }
    settings=$home/.config/thumbrix/thumbrix.ini
    check "the window runs and closes" run_window
    check "the window: thumbnail in ~/Pictures" test "$(longer_side "$home/Pictures/tiles.jpg")" = 32
    check "the window: settings written" test -s "$settings"
    # Every key but the preview's folder, which only the interactive mode writes.
    for key in x y Save Size QualityV QualityF Smoothing Progressive A B TimeStamp; do
      check "settings key $key" grep -q "^$key=" "$settings"
    done
    as_nobody sed -i 's/^Size=.*/Size=64/' "$settings"
    rm -f "$home/Pictures/tiles.jpg"
    check "the window runs again" run_window
    check "the next start reads the settings" \
      test "$(longer_side "$home/Pictures/tiles.jpg")" = 64
  else
    echo "skipped: the window needs Xvfb and xdotool"
  fi
  written=$(find "$ro" -newer "$work/stamp")
  check "nothing written into the program's folder: $written" test -z "$written"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
