#!/bin/sh
# Opens the example timeline in a real window on a virtual X display, grabs
# the screen and looks for what the clips must show: frames of the two
# movies (a yellow square over blue, a white square over dark red) rather
# than the placeholder pictures, and the music clip's waveform.
#   xvfb_demo_test.sh SHOW_TIMELINE DEMO.tle SCREENSHOT.png
set -eu
show=$1
demo=$2
shot=$3

. "$(dirname "$0")/xvfb_window.sh"

# Grab until the window is painted (or give up).
count() {  # pixels of a colour class below the ruler (the track area)
  convert "$shot" -depth 8 txt:- | awk -F'[(),: ]+' -v test="$1" '
    NR > 1 && $2 >= 56 { r = $3 + 0; g = $4 + 0; b = $5 + 0;
             if ((test == "yellow" && r > 200 && g > 200 && b < 100) ||
                 (test == "darkred" && r > 90 && r < 180 && g < 60 && b < 60) ||
                 (test == "wave" && r == 150 && g == 235 && b == 200) ||
                 (test == "placeholder" && r == 70 && g == 130 && b == 220)) n++ }
    END { print n + 0 }'
}
tries=0
while :; do
  xwd -id "$window" -silent | convert xwd:- "$shot"
  [ "$(count wave)" -gt 200 ] && break
  tries=$((tries + 1)); [ "$tries" -lt 50 ] || break
  sleep 0.2
done

yellow=$(count yellow)
darkred=$(count darkred)
wave=$(count wave)
placeholder=$(count placeholder)
echo "yellow $yellow, dark red $darkred, waveform $wave, placeholder $placeholder"
[ "$yellow" -ge 20 ] || { echo "no frame of the first movie"; exit 1; }
[ "$darkred" -ge 200 ] || { echo "no frame of the second movie"; exit 1; }
[ "$wave" -ge 200 ] || { echo "no waveform"; exit 1; }
[ "$placeholder" -eq 0 ] || { echo "placeholder pictures shown"; exit 1; }
echo "ok: $shot"
