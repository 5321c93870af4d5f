#!/bin/sh
# Opens the example timeline in a real window on a virtual X display, counts
# the waveform pixels, presses Z (three time scales out and three back in)
# and counts again: every waveform must be there as before.
#   xvfb_zoom_test.sh SHOW_TIMELINE DEMO.tle SCREENSHOT.png
set -eu
show=$1
demo=$2
shot=$3

display=":$((200 + ($$ + 250) % 500))"
Xvfb "$display" -screen 0 1024x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
app=
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null
  kill "$xvfb" 2>/dev/null
}
trap cleanup EXIT
export DISPLAY="$display" QT_QPA_PLATFORM=xcb

tries=0
until xdotool getdisplaygeometry >/dev/null 2>&1; do
  tries=$((tries + 1)); [ "$tries" -lt 100 ] || { echo "no X display"; exit 1; }
  sleep 0.1
done
"$show" "$demo" &
app=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --name "Sprocket timeline" | head -n 1)

waves() {  # waveform pixels below the ruler
  xwd -id "$window" -silent | convert xwd:- "$shot"
  convert "$shot" -depth 8 txt:- | awk -F'[(),: ]+' '
    NR > 1 && $2 >= 56 && $3 == 150 && $4 == 235 && $5 == 200 { n++ } END { print n + 0 }'
}
tries=0
until [ "$(waves)" -gt 200 ]; do
  tries=$((tries + 1)); [ "$tries" -lt 50 ] || { echo "no waveform before zooming"; exit 1; }
  sleep 0.2
done
sleep 0.3
before=$(waves)
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key --window "$window" z
timeout 30 xdotool search --sync --name "Sprocket timeline zoomed" >/dev/null || { echo "the zoom did not run"; exit 1; }
sleep 0.3
after=$(waves)
echo "waveform pixels before $before, after zooming out and in $after"
[ "$after" -eq "$before" ] || { echo "waveforms changed by zooming out and in"; exit 1; }
echo "ok: $shot"
