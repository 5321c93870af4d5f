#!/bin/sh
# Tries the clip commands on the real editor on a virtual X display, as a
# user would: opens a timeline with one movie clip, right-clicks the clip,
# splits its sound off with S, fades it in from black from the Clip menu,
# sets its speed to 200 % from the Clip menu, saves, undoes the speed
# change with Ctrl+Z and saves again; checks each saved timeline file.
#
#   commands_under_xvfb.sh SPROCKET WORK_FOLDER
#
# Exit status 0 when the saved files show the edits; 77 (skipped) when
# Xvfb, xdotool, ffmpeg or python3 is missing.
set -u
sprocket=$1 work=$2

for tool in Xvfb xdotool ffmpeg python3; do
  command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed"; exit 77; }
done

rm -rf "$work"
mkdir -p "$work/config"
ffmpeg -hide_banner -loglevel error -y -f lavfi -i testsrc=size=160x120:rate=25:duration=4 \
  -f lavfi -i sine=frequency=440:sample_rate=22050:duration=4 -map 0:v -map 1:a -c:v mjpeg -q:v 5 \
  -pix_fmt yuvj420p -c:a pcm_s16le -ac 2 "$work/shot.avi" || exit 1
cat >"$work/trial.tle" <<'TLE'
{ "format": "sprocket-timeline", "version": 1, "rate": 2500, "duration": 60000,
  "tracks": [
    { "type": "V", "number": 1, "clips": [
      { "in": 2000, "out": 6000, "file": "shot.avi", "playIn": 0, "playOut": 4000 } ] },
    { "type": "X", "number": 2, "clips": [] },
    { "type": "V", "number": 3, "clips": [] },
    { "type": "A", "number": 4, "clips": [] } ] }
TLE

. "$(dirname "$0")/../support/editor_on_xvfb.sh"
start_editor "$sprocket" "$work"
open_timeline "$work/trial.tle"
sleep 2

# The clip lies from 2 s to 6 s on V1: at the default scale its middle is
# at x 235 of the first window, its row at y 113.
at_clip() { xdotool mousemove --window "$main" 235 113; }
step() { sleep 0.6; }
at_clip; xdotool click 1; step
xdotool click 3; step; xdotool key Escape; step      # the pop-up selects the clip
xdotool key s; step                                  # Split/Rejoin A/V
xdotool key alt+c; step; xdotool key i; step         # Clip > Fade In from Black
xdotool key alt+c; step; xdotool key p; step         # Clip > Clip Speed...
speed=$(find_window '^Set Volume Control$' 10)
[ -n "$speed" ] || { echo "Clip Speed... showed no dialog"; exit 1; }
xdotool windowfocus --sync "$speed"
sleep 0.3; xdotool type --delay 50 200; sleep 0.3; xdotool key Return; step
# Without a window manager the closed dialog leaves no window focused.
xdotool windowfocus --sync "$main"; step
xdotool key ctrl+s; sleep 1
cp "$work/trial.tle" "$work/edited.tle"
xdotool key ctrl+z; step
xdotool key ctrl+s; sleep 1

python3 - "$work/edited.tle" "$work/trial.tle" <<'PY'
import json, sys
def clips(path):
    tracks = json.load(open(path))["tracks"]
    return {(t["type"], t["number"]): t.get("clips", []) for t in tracks}
edited, undone = clips(sys.argv[1]), clips(sys.argv[2])
problems = []
def check(ok, text):
    if not ok: problems.append(text)
v1 = edited[("V", 1)][0]
check((v1["in"], v1["out"], v1.get("speed")) == (2000, 4000, 200), "the clip plays twice as fast: %s" % v1)
sound = [c for (kind, _), cs in edited.items() if kind == "A" for c in cs]
check(len(sound) == 1 and sound[0].get("linkNumber") == v1.get("linkNumber") and sound[0]["out"] == 6000,
      "the sound lies on an audio track, linked: %s" % sound)
black = edited[("V", 3)]
check(len(black) == 1 and (black[0]["in"], black[0]["out"]) == (2000, 3000) and black[0].get("generated") == "black",
      "a second of black on V2: %s" % black)
check(len(edited[("X", 2)]) == 1, "a transition over the fade: %s" % edited[("X", 2)])
u1 = undone[("V", 1)][0]
check((u1["out"], u1.get("speed", 100)) == (6000, 100), "undo gives the clip its speed back: %s" % u1)
print("\n".join(problems) or "split, fade, speed and undo as expected")
sys.exit(1 if problems else 0)
PY
