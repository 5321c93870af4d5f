#!/bin/sh
# The Delete key and the transition track's pop-up on the real editor on a
# virtual X display: opens a timeline whose two roll clips overlap under a
# transition, right-clicks the transition track (a pop-up must open), clicks
# the first clip, presses Delete (the transition-loss warning is answered),
# saves, undoes with Ctrl+Z and saves again; checks both saved files.
#
#   delete_key_under_xvfb.sh SPROCKET WORK_FOLDER
#
# Exit status 0 when the saved files show the delete and its undo; 77
# (skipped) when Xvfb, xdotool, xwd, convert, ffmpeg or python3 is missing.
set -u
sprocket=$1 work=$2

for tool in Xvfb xdotool xwd convert ffmpeg python3; do
  command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed"; exit 77; }
done

rm -rf "$work"
mkdir -p "$work/config"
ffmpeg -hide_banner -loglevel error -y -f lavfi -i testsrc=size=160x120:rate=25:duration=4 \
  -c:v mjpeg -q:v 5 -pix_fmt yuvj420p "$work/shot.avi" || exit 1
cat >"$work/trial.tle" <<'TLE'
{ "format": "sprocket-timeline", "version": 1, "rate": 2500, "duration": 60000,
  "tracks": [
    { "type": "V", "number": 1, "clips": [
      { "in": 0, "out": 4000, "file": "shot.avi", "playIn": 0, "playOut": 4000 } ] },
    { "type": "X", "number": 2, "clips": [
      { "in": 2000, "out": 4000, "transition": 1, "playIn": 0, "playOut": 2000, "name": "Cross dissolve",
        "filters": [ { "id": 1 } ] } ] },
    { "type": "V", "number": 3, "clips": [
      { "in": 2000, "out": 6000, "file": "shot.avi", "playIn": 0, "playOut": 4000 } ] },
    { "type": "A", "number": 4, "clips": [] } ] }
TLE

. "$(dirname "$0")/../support/editor_on_xvfb.sh"
start_editor "$sprocket" "$work"
# The timeline is shown when the blue header of V1 is drawn where the
# empty window area is grey; a file dialog that came up too slowly for the
# typed path is tried again.
timeline_shown() {
  rgb=$(xwd -id "$main" -silent | convert xwd:- -crop 1x1+40+113 -format '%[fx:int(255*r)] %[fx:int(255*b)]' info:)
  [ "${rgb% *}" -lt "${rgb#* }" ] 2>/dev/null
}
open_timeline "$work/trial.tle"
sleep 2
timeline_shown || { open_timeline "$work/trial.tle"; sleep 2; }
timeline_shown || { echo "the timeline did not open"; exit 1; }

step() { sleep 0.6; }
# At the default scale V1 lies at y 113 of the first window and the
# transition track at y 148; a second is 40 pixels from x 75.
visible_windows() { xdotool search --onlyvisible --name '' 2>/dev/null | sort; }
before=$(visible_windows)
xdotool mousemove --window "$main" 500 148; xdotool click 3; step
[ "$(visible_windows)" != "$before" ] || { echo "a right click on the transition track showed no pop-up"; exit 1; }
xdotool key Escape; step
# Without a window manager the closed pop-up leaves no window focused.
xdotool windowfocus --sync "$main"; step
xdotool mousemove --window "$main" 100 113; xdotool click 1; step
xdotool key Delete
# The warning that the transition goes with the clip: a second window
# named like the main one.
warning=
for _ in $(seq 50); do
  warning=$(xdotool search --onlyvisible --name '^Sprocket$' 2>/dev/null | grep -v "^$main\$" | head -1)
  [ -n "$warning" ] && break
  sleep 0.2
done
[ -n "$warning" ] || { echo "Delete showed no transition warning"; xwd -root -silent >"$work/screen.xwd"; exit 1; }
xdotool windowfocus --sync "$warning"; xdotool key Return; step
xdotool windowfocus --sync "$main"; step
xdotool key ctrl+s; sleep 1
cp "$work/trial.tle" "$work/deleted.tle"
xdotool key ctrl+z; step
xdotool key ctrl+s; sleep 1

python3 - "$work/deleted.tle" "$work/trial.tle" <<'PY'
import json, sys
def clips(path):
    tracks = json.load(open(path))["tracks"]
    return {(t["type"], t["number"]): t.get("clips", []) for t in tracks}
deleted, undone = clips(sys.argv[1]), clips(sys.argv[2])
problems = []
def check(ok, text):
    if not ok: problems.append(text)
check(deleted[("V", 1)] == [], "the clip on V1 is deleted: %s" % deleted[("V", 1)])
check(len(deleted[("V", 3)]) == 1, "the clip on V2 stays: %s" % deleted[("V", 3)])
check(deleted[("X", 2)] == [], "the transition goes with the overlap: %s" % deleted[("X", 2)])
v1 = undone[("V", 1)]
check(len(v1) == 1 and (v1[0]["in"], v1[0]["out"]) == (0, 4000), "undo gives the clip back: %s" % v1)
x = undone[("X", 2)]
check(len(x) == 1 and (x[0]["in"], x[0]["out"]) == (2000, 4000), "undo gives the transition back: %s" % x)
print("\n".join(problems) or "Delete and its undo as expected")
sys.exit(1 if problems else 0)
PY
