#!/bin/sh
# A new user's first movie, on the real editor on a virtual X display, with
# media the script makes: File > New, three movie clips placed by
# double-clicking the tracks, the second dragged over the end of the first
# (a dissolve), the last faded out to black, a WAV placed and its volume
# lowered, the movie band's end dragged to the end of the fade, saved,
# closed, opened again and made into a movie by Movie > Make Movie AVI.
# The movie is then checked with ffprobe and ffmpeg: the frames of the
# range, sound, a picture between the two clips in the middle of the
# dissolve and a black last frame. Screenshots of the main steps land in
# WORK_FOLDER.
#
#   journey_under_xvfb.sh SPROCKET WORK_FOLDER
#
# Exit status 0 when the movie is as expected; 77 (skipped) when Xvfb,
# xdotool, xwd, ffmpeg, ffprobe or python3 is missing.
set -u
sprocket=$1 work=$2

for tool in Xvfb xdotool xwd ffmpeg ffprobe python3; do
  command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed"; exit 77; }
done

rm -rf "$work"
mkdir -p "$work/config"
printf '[Movie]\nVResWidth=160\nVResHeight=120\nVFramesPerSec=2500\nVCompressionType=MJPG\nASamplesPerSec=22050\n' \
  >"$work/config/RODUVER.INI"

# Three 8 s clips of distinct colours and 30 s of a tone.
n=0
for colour in red lime blue; do
  n=$((n + 1))
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i "color=c=$colour:size=160x120:rate=25:duration=8" \
    -c:v mjpeg -q:v 2 -pix_fmt yuvj420p "$work/shot$n.avi" || exit 1
done
ffmpeg -hide_banner -loglevel error -y -f lavfi -i sine=frequency=440:sample_rate=22050:duration=30 \
  -c:a pcm_s16le -ac 2 "$work/music.wav" || exit 1

. "$(dirname "$0")/../support/editor_on_xvfb.sh"
start_editor "$sprocket" "$work"

fail() {
  echo "$1"
  screenshot failed
  cat "$work/editor.log"
  exit 1
}
screenshot() {
  if command -v convert >/dev/null 2>&1; then
    xwd -root -silent | convert xwd:- "$work/$1.png"
  else
    xwd -root -silent -out "$work/$1.xwd"
  fi
}
step() { sleep 0.5; }

# Waits until no visible window's title matches.
wait_gone() {
  for _ in $(seq 100); do
    [ -z "$(xdotool search --onlyvisible --name "$1" 2>/dev/null)" ] && return 0
    sleep 0.1
  done
  return 1
}

# Types PATH into the file dialog titled TITLE and confirms it.
answer_file_dialog() {
  dialog=$(find_window "$1" 10) || fail "no dialog \"$1\" came"
  xdotool windowfocus --sync "$dialog"
  xdotool key ctrl+a
  xdotool type --delay 2 "$2"
  xdotool key Return
  wait_gone "$1" || fail "the dialog \"$1\" stayed open"
  xdotool windowfocus --sync "$main"
  step
}

# Geometry of the new timeline's window at the View menu's Zoom Out scale
# (20 pixels a second), in the main window's coordinates: time 0 at x 75,
# the movie band at y 72, the rows of V1, V2 and A1.
x_at() { echo $((75 + $1 / 50)); }
v1=113 v2=181 a1=283 movie_band=72

# Double-clicks a track at a time (ms) and places FILE from the dialog.
place() {
  xdotool mousemove --window "$main" "$(x_at "$1")" "$2" click --repeat 2 --delay 80 1
  answer_file_dialog '^Place a media file$' "$3"
}

# Presses at X1, drags in steps to X2 on row Y and releases.
drag() {
  xdotool mousemove --window "$main" "$1" "$3" mousedown 1
  x=$1 dx=$(( ($2 - $1) / 8 ))
  for _ in 1 2 3 4 5 6 7; do
    x=$((x + dx))
    xdotool mousemove --window "$main" "$x" "$3"
    sleep 0.05
  done
  xdotool mousemove --window "$main" "$2" "$3"
  sleep 0.1
  xdotool mouseup 1
  step
}

xdotool windowfocus --sync "$main"
xdotool key ctrl+n
step
xdotool key ctrl+minus
step
screenshot 01-new

place 100 $v1 "$work/shot1.avi"
place 10000 $v2 "$work/shot2.avi"
# The second clip from 10 s to 6 s: two seconds over the first.
drag "$(x_at 14000)" "$(x_at 10000)" $v2
place 14500 $v1 "$work/shot3.avi"
screenshot 02-placed

# Clip > Fade Out to Black on the last clip.
xdotool mousemove --window "$main" "$(x_at 18000)" $v1 click 1
step
xdotool key alt+c o
step

place 100 $a1 "$work/music.wav"
# Clip > Set Volume... (the fifth item up from the top, which wraps round to the end) at 50 %.
xdotool mousemove --window "$main" "$(x_at 10000)" $a1 click 1
step
xdotool key alt+c
sleep 0.5
xdotool key Up Up Up Up Up
sleep 0.2
xdotool key Return
volume=$(find_window '^Set Volume Control$' 10) || fail "Set Volume... showed no dialog"
xdotool windowfocus --sync "$volume"
sleep 0.3
xdotool type --delay 50 50
xdotool key Return
wait_gone '^Set Volume Control$' || fail "the volume dialog stayed open"
xdotool windowfocus --sync "$main"
step

# The movie range follows the content to the music's end at 30 s; its end
# dragged to 23 s, half a second after the fade.
drag "$(x_at 30000)" "$(x_at 23000)" $movie_band
screenshot 03-edited

xdotool key ctrl+s
answer_file_dialog '^Save As$' "$work/first.tle"
[ -s "$work/first.tle" ] || fail "File > Save wrote no timeline"
xdotool key alt+f c
step
open_timeline "$work/first.tle"
step
screenshot 04-reopened

dialog=$(menu_window "alt+m a" '^Save As AVI File$') || fail "Make Movie AVI showed no save dialog"
answer_file_dialog '^Save As AVI File$' "$work/first.avi"
for _ in $(seq 240); do
  grep -q '^\[Last Make Movie\]' "$work/config/RODUVER.INI" && break
  sleep 0.25
done
grep -q '^\[Last Make Movie\]' "$work/config/RODUVER.INI" || fail "no movie was recorded"
screenshot 05-movie
stop_editor

python3 - "$work" <<'PY'
import json, subprocess, sys
work = sys.argv[1]
problems = []
def check(ok, text):
    if not ok: problems.append(text)

doc = json.load(open(work + "/first.tle"))
clips = [(t["type"], t["number"], c) for t in doc["tracks"] for c in t.get("clips", [])]
def clip(name):
    return next((c for _, _, c in clips if c.get("name") == name), None)
first, second, last, music = clip("shot1"), clip("shot2"), clip("shot3"), clip("music")
check(None not in (first, second, last, music), "the four files are placed: %s" % clips)
if problems:
    print("\n".join(problems)); sys.exit(1)
check(second["in"] < first["out"] < second["out"], "the second clip overlaps the first: %s %s" % (first, second))
fades = [c for kind, _, c in clips if c.get("generated") == "black"]
check(len(fades) == 1 and fades[0]["out"] == last["out"], "one black clip ends the last clip: %s" % fades)
check(music["volume"] and all(level == 5000 for level, _ in music["volume"]), "the music at 50 %%: %s" % music["volume"])
start, end = doc["movieRange"]
check(not doc.get("rangesFollowContent", False), "the dragged range is the user's")
check(last["out"] < end < music["out"], "the movie band's end dragged between the fade and the music's end: %s"
      % doc["movieRange"])

movie = work + "/first.avi"
def probe(*args):
    return subprocess.run(["ffprobe", "-v", "error", *args, movie], capture_output=True, text=True).stdout.split()
frames = int(probe("-count_frames", "-select_streams", "v:0", "-show_entries", "stream=nb_read_frames",
                   "-of", "csv=p=0")[0])
expected = round((end - start) * doc["rate"] / 100000)
check(abs(frames - expected) <= 1, "the movie holds the range's %d frames, not %d" % (expected, frames))
check(probe("-select_streams", "a", "-show_entries", "stream=codec_type", "-of", "csv=p=0") == ["audio"],
      "the movie has sound")
def peak_db(path):
    text = subprocess.run(["ffmpeg", "-nostdin", "-i", path, "-map", "0:a", "-af", "volumedetect", "-f", "null", "-"],
                          capture_output=True, text=True).stderr
    return next((float(l.split()[-2]) for l in text.splitlines() if "max_volume" in l), None)
tone, peak = peak_db(work + "/music.wav"), peak_db(movie)
# Half the volume is 6 dB less; the mixdown may take a little more.
check(tone is not None and peak is not None and tone - 12 < peak < tone - 4,
      "the music lowered from %s dB: %s dB" % (tone, peak))

def rgb(ms):
    raw = subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-ss", "%.3f" % (ms / 1000), "-i", movie,
                          "-frames:v", "1", "-vf", "scale=1:1:flags=area", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"],
                         capture_output=True).stdout
    return tuple(raw[:3]) if len(raw) >= 3 else None
middle = rgb((second["in"] + first["out"]) / 2 - start)
check(middle is not None and middle[0] > 80 and middle[1] > 80 and middle[2] < 60,
      "the dissolve's middle mixes red and green: %s" % (middle,))
black = rgb(end - start - 1000 * 100 / doc["rate"])
check(black is not None and max(black) < 20, "the last frame is black: %s" % (black,))
print("\n".join(problems) or "%d frames, sound at %s dB, dissolve %s, last frame %s" % (frames, peak, middle, black))
sys.exit(1 if problems else 0)
PY
