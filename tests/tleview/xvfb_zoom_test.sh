#!/bin/sh
# Opens the example timeline in a real window on a virtual X display, counts
# the waveform pixels, presses Z (three time scales out and three back in)
# and counts again: every waveform must be there as before.
#   xvfb_zoom_test.sh SHOW_TIMELINE DEMO.tle SCREENSHOT.png
set -eu
show=$1
demo=$2
shot=$3

. "$(dirname "$0")/xvfb_window.sh"

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
