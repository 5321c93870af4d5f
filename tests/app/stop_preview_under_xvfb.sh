#!/bin/sh
# The real editor on a virtual X display: a clip dragged with the mouse is
# stopped half-way by Preview > Stop Preview's key (Ctrl+.). The stop must
# take the drag's outline away at once, and the release after it must move
# nothing: the window then looks as it did before the drag. Then the mouse
# rests on the clip: the tip window shows the clip's frame (yellow over
# blue), and Ctrl+. hides it.
#
#   stop_preview_under_xvfb.sh SPROCKET TIMELINE.tle WORK_FOLDER
#
# Exit status 0 when it does; 77 (skipped) when Xvfb, xdotool or ImageMagick
# is missing.
set -u
sprocket=$1 timeline=$2 work=$3

for tool in Xvfb xdotool xwd convert compare; do
  command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed"; exit 77; }
done

rm -rf "$work"
mkdir -p "$work"
. "$(dirname "$0")/../support/editor_on_xvfb.sh"
start_editor "$sprocket" "$work"
open_timeline "$timeline"

# Tips: any visible window but the main one.
tip_window() {
  for w in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
    [ "$w" = "$main" ] && continue
    [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "Sprocket" ] && { echo "$w"; return; }
  done
}
grab() { xwd -id "$main" -silent | convert xwd:- "$work/$1.png"; }
# Pixels that differ between two grabs, the status bar (the free memory
# changes by itself) left out.
differing() {
  height=$(identify -format %h "$work/$1.png")
  compare -metric AE "$work/$1.png[x$((height - 24))+0+0]" "$work/$2.png[x$((height - 24))+0+0]" null: 2>&1 |
    cut -d' ' -f1
}

# The first clip's picture has a small yellow square: a press there takes
# the clip. The rows of the yellow movie band are far wider than it.
sleep 1
grab before
square=$(convert "$work/before.png" -depth 8 txt:- | awk -F'[(),: ]+' '
  NR > 1 && $3 > 200 && $4 > 200 && $5 < 100 { n[$2]++; sx[$2] += $1 }
  END { for (y in n) if (n[y] < 20) { print int(sx[y] / n[y]), y; exit } }')
[ -n "$square" ] || { echo "no clip picture found in the window"; exit 1; }
set -- $square
eval "$(xdotool getwindowgeometry --shell "$main")"
x=$((X + $1)) y=$((Y + $2))

xdotool mousemove "$x" "$y"
sleep 0.2
xdotool mousedown 1
sleep 0.6
grab pressed
xdotool mousemove $((x + 20)) "$y"
sleep 0.2
xdotool mousemove $((x + 60)) "$y"
sleep 0.4
grab dragging
[ -z "$(tip_window)" ] || { echo "a tip showed while the mouse button was down"; exit 1; }
xdotool key ctrl+period
sleep 0.4
grab stopped
xdotool mousemove $((x + 90)) "$y"
sleep 0.2
xdotool mouseup 1
sleep 0.4
grab released

drawn=$(differing pressed dragging)
left=$(differing pressed stopped)
moved=$(differing pressed released)
echo "drag outline $drawn pixels; after the stop $left; after the release $moved"
[ "$drawn" -gt 50 ] || { echo "the drag drew no outline"; exit 1; }
[ "$left" -eq 0 ] || { echo "the stop left the drag's outline"; exit 1; }
[ "$moved" -eq 0 ] || { echo "the release after the stop changed the window"; exit 1; }

xdotool mousemove $((x - 4)) "$y"
sleep 0.1
xdotool mousemove "$x" "$y"
tip=
for _ in $(seq 50); do tip=$(tip_window); [ -n "$tip" ] && break; sleep 0.1; done
[ -n "$tip" ] || { echo "resting on the clip showed no tip"; exit 1; }
xwd -id "$tip" -silent | convert xwd:- "$work/tip.png"
colours=$(convert "$work/tip.png" -depth 8 txt:- | awk -F'[(),: ]+' '
  NR > 1 { if ($3 > 200 && $4 > 200 && $5 < 100) y++; if ($5 > 120 && $3 < 100) b++ }
  END { print y + 0, b + 0 }')
set -- $colours
echo "tip: $1 yellow and $2 blue pixels"
[ "$1" -gt 100 ] && [ "$2" -gt 1000 ] || { echo "the tip shows no frame of the clip"; exit 1; }
xdotool key ctrl+period
sleep 0.4
[ -z "$(tip_window)" ] || { echo "Stop Preview left the tip window shown"; exit 1; }
echo "ok"
