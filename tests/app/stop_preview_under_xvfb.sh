#!/bin/sh
# The real editor on a virtual X display: a clip dragged with the mouse is
# stopped half-way by Preview > Stop Preview's key (Ctrl+.). The stop must
# take the drag's outline away at once, and the release after it must move
# nothing: the window then looks as it did before the drag.
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

xdotool mousemove "$x" "$y" mousedown 1
sleep 0.3
grab pressed
xdotool mousemove $((x + 20)) "$y"
sleep 0.2
xdotool mousemove $((x + 60)) "$y"
sleep 0.4
grab dragging
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
echo "ok"
