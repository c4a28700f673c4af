# Shell functions for tests and scripts that need an X display of their own.
# Xvfb picks a free display number itself (-displayfd) and writes it once it
# listens, so parallel runs never race for a number; the display is then asked
# until it answers before anything uses it. -noreset: by default the server
# resets when its last client leaves, and a program connecting during that
# reset (right after the probe, say) fails to start.
#   . tests/support/virtualdisplay.sh
#   start_virtual_display 640x480x24 "$work"   # exports DISPLAY, sets XVFB_PID
#   ...
#   stop_virtual_display

start_virtual_display() {
  local screen=$1 work=$2
  local numberfile=$work/xvfb-display
  : >"$numberfile"
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$numberfile" >"$work/xvfb.log" 2>&1 &
  XVFB_PID=$!
  local number=""
  for _ in $(seq 200); do
    # The number is complete once its line has ended.
    if [ -s "$numberfile" ] && [ -z "$(tail -c1 "$numberfile")" ]; then
      number=$(head -1 "$numberfile")
      break
    fi
    if ! kill -0 "$XVFB_PID" 2>/dev/null; then
      echo "Xvfb did not start:"; cat "$work/xvfb.log"; return 1
    fi
    sleep 0.1
  done
  [ -n "$number" ] || { echo "Xvfb gave no display number"; return 1; }
  export DISPLAY=:$number
  for _ in $(seq 100); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "display $DISPLAY does not answer"; return 1
}

stop_virtual_display() {
  [ -n "${XVFB_PID:-}" ] || return 0
  kill "$XVFB_PID" 2>/dev/null || true
  wait "$XVFB_PID" 2>/dev/null || true
  XVFB_PID=""
}
