#!/bin/sh
# The real editor on a virtual X display: Movie > Make Movie AVI of a
# timeline is stopped with ESC in the render window (no output file is left
# and the timeline is unchanged: it closes without asking to save), then a
# preview AVI is made to the end, plays in the preview window, and Movie >
# Last Compiled Movie Statistics shows that movie.
#
#   stop_movie_under_xvfb.sh SPROCKET TIMELINE.tle WORK_FOLDER
#
# Screenshots of the render window, the editor under it, the messages, the
# preview window and the statistics dialog are left in WORK_FOLDER. Exit
# status 0 when all holds; 77 (skipped) when Xvfb, xdotool, xwd or convert is
# missing.
set -u
sprocket=$1 timeline=$2 work=$3

for tool in Xvfb xdotool xwd convert; do
  command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed"; exit 77; }
done

fail() {
  echo "$1"
  [ -f "$work/editor.log" ] && cat "$work/editor.log"
  exit 1
}

# The movie is large and composed at double size so that it takes seconds to
# make (a clip shown as it is would otherwise go straight from the decoder to
# the compressor in well under a second); the preview is small.
# Segments are not rendered first, so the first render window makes the
# movie itself.
rm -rf "$work"
mkdir -p "$work/config"
printf '[Movie]\nVResWidth=1920\nVResHeight=1440\nVCompressionType=MJPG\nVb2xAA=1\n[Preview]\nPrev_VResWidth=160\nPrev_VResHeight=120\nPrev_VCompressionType=MJPG\n[Inc Comp]\nDisable=1\n' \
  >"$work/config/RODUVER.INI"
. "$(dirname "$0")/../support/editor_on_xvfb.sh"
start_editor "$sprocket" "$work"
open_timeline "$timeline"

grab() { xwd -silent -id "$1" | convert xwd:- "$work/$2.png"; }

# A window titled "Sprocket" other than the main window: a message box.
message_box() {
  for id in $(xdotool search --onlyvisible --name '^Sprocket$' 2>/dev/null); do
    [ "$id" != "$main" ] && { echo "$id"; return 0; }
  done
  return 1
}

# Opens the Movie menu's item by its key and types PATH into the save dialog
# it shows.
save_movie_as() {
  dialog=$(menu_window "alt+m $1" '^Save As AVI File$') || fail "Movie > $1 showed no save dialog"
  xdotool windowfocus --sync "$dialog"
  xdotool key ctrl+a
  xdotool type --delay 2 "$2"
  xdotool key Return
}

# --- ESC in the render window ---
full_frames=150  # the timeline's 5 s at 29.97 frames a second
save_movie_as a "$work/stopped.avi"
render=$(find_window '^Generating Movie\.\.\.$' 20) || fail "no render window came"
sleep 0.5
grab "$render" render-window
grab "$main" editor-rendering
# ESC. Stopped while its sound is mixed, the movie ends without a file or a
# message; stopped while its frames are joined, it says so over the render
# window and keeps the frames joined so far as a shorter movie, recorded as
# the last movie.
render_shown() { xdotool search --onlyvisible --name '^Generating Movie\.\.\.$' >/dev/null 2>&1; }
box=
for _ in 1 2 3; do
  xdotool windowfocus --sync "$render" 2>/dev/null
  xdotool key Escape
  for _ in $(seq 30); do
    box=$(message_box) && break
    render_shown || break
    sleep 0.1
  done
  { [ -n "$box" ] || ! render_shown; } && break
done
if [ -n "$box" ]; then
  grab "$box" stopped-message
  xdotool windowfocus --sync "$box" 2>/dev/null
  xdotool key Return
fi
for _ in $(seq 100); do render_shown || break; sleep 0.1; done
render_shown && fail "ESC did not stop the render"
ls -A "$work" | grep -q '\.part-' && fail "the stopped movie left a work file"
if [ -z "$box" ]; then
  [ -e "$work/stopped.avi" ] && fail "the movie stopped in its sound left a file"
else
  # Recorded once the render window has closed.
  recorded=
  for _ in $(seq 50); do
    recorded=$(sed -n 's/^Frames=//p' "$work/config/RODUVER.INI")
    [ -n "$recorded" ] && break
    sleep 0.2
  done
  [ -n "$recorded" ] && [ "$recorded" -lt "$full_frames" ] || fail "the stopped movie was not recorded as shorter: '$recorded'"
  if command -v ffprobe >/dev/null 2>&1; then
    held=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 \
      "$work/stopped.avi")
    [ "$held" = "$recorded" ] || fail "the stopped movie holds $held frames, not the $recorded recorded"
  fi
fi

# Unchanged: File > Close asks nothing.
xdotool windowfocus --sync "$main"
xdotool key alt+f c
for _ in $(seq 10); do
  box=$(message_box) && { grab "$box" close-question; fail "the timeline was changed: closing it asked to save"; }
  sleep 0.2
done

# --- A finished preview movie and its statistics ---
open_timeline "$timeline"
save_movie_as v "$work/finished.avi"
upper=$(echo "$work/finished.avi" | tr '[:lower:]' '[:upper:]')
# The completed movie says so; then it is recorded.
box=
for _ in $(seq 150); do box=$(message_box) && break; sleep 0.2; done
[ -n "$box" ] || fail "the preview movie did not say it was completed"
grab "$box" completed-message
xdotool windowfocus --sync "$box" 2>/dev/null
xdotool key Return
for _ in $(seq 50); do
  grep -qxF "FileName=$upper" "$work/config/RODUVER.INI" && break
  sleep 0.2
done
[ -s "$work/finished.avi" ] || fail "the preview movie was not made"
grep -qxF "FileName=$upper" "$work/config/RODUVER.INI" || fail "the last movie is not the finished one"
# The finished movie plays in the preview window (a movie stopped while
# joining played there too; the offscreen tests tell the two apart).
preview=$(find_window '^Preview$' 10) || fail "the finished movie did not play in the preview window"
sleep 0.5
grab "$preview" preview-window

stats=$(menu_window "alt+m s" '^Last Compiled Movie Statistics$')
[ -n "$stats" ] || fail "Movie > Last Compiled Movie Statistics showed no dialog"
sleep 0.3
grab "$stats" statistics
xdotool windowfocus --sync "$stats" 2>/dev/null
xdotool key Return
echo "stopped with ESC (timeline unchanged); statistics shown of $upper"
