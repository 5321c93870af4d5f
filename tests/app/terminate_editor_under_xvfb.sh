#!/bin/sh
# The real editor on a virtual X display ends on SIGTERM from each state of
# the table below. Every run starts after the unclean end of the one before:
# it must offer that run's backup ("Sprocket" question at start-up), which is
# answered Yes (the recovered timeline is unsaved and modified), the state is
# opened and SIGTERM sent (twice). Then, for every state:
#   - the editor ends within BOUND_MS with the status 128 + 15;
#   - one backup of the user is left, and it holds the unsaved timeline (its
#     movie range, changed from the file's, tells it apart);
#   - no partial output (".part-"), job folder ("sprocket-job-") or other
#     file of a job stays, and an older movie of the output's name is as it
#     was.
# The last state is the start-up question itself, and one more start shows
# that its backup is still offered.
#
#   terminate_editor_under_xvfb.sh SPROCKET TIMELINE.tle WORK_FOLDER
#
# Exit status 0 when all holds; 77 (skipped) when Xvfb, xdotool, python3 or
# convert is missing.
set -u
sprocket=$1 timeline=$2 work=$3
bound_ms=2000

for tool in Xvfb xdotool python3 convert; do
  command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed"; exit 77; }
done

fail() {
  echo "FAILED ($state): $1"
  [ -f "$work/editor.log" ] && cat "$work/editor.log"
  exit 1
}

# A large movie composed at double size, so that it takes seconds to make
# (a clip shown as it is would otherwise go straight from the decoder to the
# compressor in well under a second); the sound is not mixed first, and the
# work files go to a temporary folder of the test's own.
rm -rf "$work"
mkdir -p "$work/config" "$work/tmp" "$work/out"
printf '[Movie]\nVResWidth=1920\nVResHeight=1440\nVCompressionType=MJPG\nVb2xAA=1\n[Inc Comp]\nDisable=1\n[Temp File Dir]\nDir=%s\n' \
  "$work/tmp" >"$work/config/RODUVER.INI"
printf 'older movie' >"$work/out/movie.avi"
# In a build with the leak checker, what the system's D-Bus library keeps
# (the file dialogs use it) is not the editor's leak.
printf 'leak:libdbus-1.so\n' >"$work/lsan.supp"
export LSAN_OPTIONS="suppressions=$work/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

# The backup an editor that was killed left: the timeline with its media
# named in full and a movie range of its own, under a process that has ended.
ended=$(sh -c 'echo $$')
python3 - "$timeline" "$work/tmp/sprocket-backup-$(id -u)-$ended-1.tle" <<'EOF'
import json, os, sys
source, backup = sys.argv[1], sys.argv[2]
timeline = json.load(open(source))
folder = os.path.dirname(os.path.abspath(source))
for track in timeline["tracks"]:
    for clip in track.get("clips", []):
        if "file" in clip and not os.path.isabs(clip["file"]):
            clip["file"] = os.path.join(folder, clip["file"])
timeline["movieRange"] = [0, 4000]
json.dump(timeline, open(backup, "w"), indent=1)
EOF

# The one backup left must hold the unsaved timeline.
check_backup() {
  python3 - "$work/tmp" "$(id -u)" <<'EOF' || fail "the backup does not hold the unsaved timeline"
import glob, json, sys
folder, uid = sys.argv[1], sys.argv[2]
backups = glob.glob(f"{folder}/sprocket-backup-{uid}-*.tle")
if len(backups) != 1:
    sys.exit(f"{len(backups)} backups: {backups}")
timeline = json.load(open(backups[0]))
if timeline.get("movieRange") != [0, 4000] or not any(t.get("clips") for t in timeline["tracks"]):
    sys.exit(f"{backups[0]} is not the unsaved timeline")
EOF
}

check_no_job_left() {
  left=$(find "$work/out" "$work/tmp" -name '*.part-*' -o -name 'sprocket-job-*' -o -name '*.tmp' | head -3)
  [ -z "$left" ] || fail "the job left $left"
  [ "$(cat "$work/out/movie.avi")" = "older movie" ] || fail "the older movie of the output's name was changed"
}

. "$(dirname "$0")/../support/editor_on_xvfb.sh"
start_display "$work"

# The editor's windows titled "Sprocket": the main window is the wide one,
# a message box the other.
sprocket_window() {
  for id in $(xdotool search --onlyvisible --name '^Sprocket$' 2>/dev/null); do
    width=$(xdotool getwindowgeometry --shell "$id" 2>/dev/null | sed -n 's/^WIDTH=//p')
    [ -z "$width" ] && continue
    if [ "$1" = main ] && [ "$width" -ge 900 ]; then echo "$id"; return 0; fi
    if [ "$1" = box ] && [ "$width" -lt 900 ]; then echo "$id"; return 0; fi
  done
  return 1
}
wait_for() {
  for _ in $(seq "$(($2 * 5))"); do found=$(sprocket_window "$1") && { echo "$found"; return 0; }; sleep 0.2; done
  return 1
}
running() {
  status=$(ps -o stat= -p "$1" 2>/dev/null)
  [ -n "$status" ] && [ "${status#Z}" = "$status" ]
}

# Starts the editor and waits for the question that offers the last run's backup.
start_after_unclean_end() {
  launch_editor "$sprocket" "$work"
  main=$(wait_for main 30) || fail "the editor's window did not appear"
  question=$(wait_for box 20) || fail "the last run's backup was not offered"
}

answer_yes() {
  xdotool windowfocus --sync "$question" 2>/dev/null
  xdotool key Return
  for _ in $(seq 50); do sprocket_window box >/dev/null || break; sleep 0.1; done
  sprocket_window box >/dev/null && fail "the question did not close"
  sleep 0.5
}

menu_shows() {
  for _ in 1 2 3; do
    xdotool windowfocus --sync "$main" 2>/dev/null
    xdotool key $1
    find_window "$2" 10 >/dev/null && return 0
    xdotool key Escape Escape
  done
  fail "$1 showed no window '$2'"
}

type_into() {
  dialog=$(find_window "$1" 10) || fail "no window '$1'"
  xdotool windowfocus --sync "$dialog"
  xdotool key ctrl+a
  xdotool type --delay 2 "$2"
  xdotool key Return
}

# --- The states: each opens its state in the editor with the recovered timeline ---
state_main_loop() { :; }
state_message_box() {
  xdotool windowfocus --sync "$main"
  xdotool key alt+f c  # File > Close asks to save the modified timeline
  wait_for box 10 >/dev/null || fail "File > Close asked nothing"
}
state_file_dialog() { menu_shows ctrl+o '^Open$'; }
state_own_dialog() { menu_shows "alt+c t" '^Select Audio Preview Tracks$'; }
state_make_movie() {
  # Make Movie first asks whether to save the modified timeline: No.
  xdotool windowfocus --sync "$main"
  xdotool key alt+m a
  box=$(wait_for box 10) || fail "Make Movie did not ask to save the timeline"
  xdotool windowfocus --sync "$box" 2>/dev/null
  xdotool key n
  type_into '^Save As AVI File$' "$work/out/movie.avi"
  # The file dialog asks before it names an existing file.
  for _ in $(seq 20); do
    box=$(xdotool search --onlyvisible --name '^Save As AVI File$' 2>/dev/null | tail -1)
    find_window '^Generating Movie\.\.\.$' 1 >/dev/null && break
    [ -n "$box" ] && xdotool windowfocus --sync "$box" 2>/dev/null && xdotool key y
  done
  find_window '^Generating Movie\.\.\.$' 20 >/dev/null || fail "no render window came"
  sleep 1
}
state_segment_render() {
  xdotool windowfocus --sync "$main"
  xdotool key alt+m g
  find_window '^Rendering a segment\.\.\.$' 20 >/dev/null || fail "no segment render window came"
  sleep 1
}
state_preview_playing() {
  menu_shows "alt+p f" '^Play Movie File$'
  type_into '^Play Movie File$' "$(dirname "$timeline")/media/shot-a.avi"
  find_window '^Preview$' 10 >/dev/null || fail "the movie did not play in the preview window"
  sleep 0.3
}
# Sets $square_x and $square_y to the screen place of the first clip's
# picture (the demo's yellow square on V1).
find_clip_square() {
  xwd -id "$main" -silent | convert xwd:- "$work/window.png"
  square=$(convert "$work/window.png" -depth 8 txt:- | awk -F'[(),: ]+' '
    NR > 1 && $3 > 200 && $4 > 200 && $5 < 100 { n[$2]++; sx[$2] += $1 }
    END { for (y in n) if (n[y] < 20) { print int(sx[y] / n[y]), y; exit } }')
  [ -n "$square" ] || fail "no clip picture found in the window"
  eval "$(xdotool getwindowgeometry --shell "$main")"
  square_x=$((X + ${square% *})) square_y=$((Y + ${square#* }))
}
# Presses the mouse at (x, y) and moves it right, keeping it pressed.
press_and_drag() {
  xdotool mousemove "$1" "$2" sleep 0.2 mousedown 1 sleep 0.3
  xdotool mousemove $(($1 + 30)) "$2" sleep 0.2 mousemove $(($1 + 60)) "$2" sleep 0.3
}
state_clip_drag() {
  find_clip_square
  press_and_drag "$square_x" "$square_y"
}
# The time codes of the ruler run above the first track.
state_scrubbing() {
  find_clip_square
  press_and_drag "$square_x" $((square_y - 24))
  find_window '^Preview$' 5 >/dev/null || fail "dragging in the ruler showed no frame in the preview window"
}
state_start_up_question() { :; }

# Sends SIGTERM and checks the end, the backup and the jobs' files.
terminate_and_check() {
  started=$(date +%s%N)
  kill -TERM "$editor_pid"
  # A second signal while the editor ends changes nothing.
  sleep 0.02
  kill -TERM "$editor_pid" 2>/dev/null
  while running "$editor_pid" && [ $((($(date +%s%N) - started) / 1000000)) -lt $((bound_ms * 3)) ]; do
    sleep 0.05
  done
  elapsed=$((($(date +%s%N) - started) / 1000000))
  if running "$editor_pid"; then
    kill -KILL "$editor_pid"
    fail "still running ${elapsed} ms after SIGTERM"
  fi
  wait "$editor_pid"
  status=$?
  editor_pid=
  xdotool mouseup 1 2>/dev/null
  echo "$state: ended in ${elapsed} ms with status $status"
  [ "$elapsed" -le "$bound_ms" ] || fail "ended ${elapsed} ms after SIGTERM (bound ${bound_ms} ms)"
  [ "$status" -eq 143 ] || fail "exit status $status, not 143"
  check_backup
  check_no_job_left
}

for state in main_loop message_box file_dialog own_dialog make_movie segment_render preview_playing clip_drag \
  scrubbing start_up_question; do
  start_after_unclean_end
  [ "$state" = start_up_question ] || answer_yes
  "state_$state"
  terminate_and_check
done
# The question ended by SIGTERM offers its backup again.
state=next_start
start_after_unclean_end
kill -TERM "$editor_pid"
wait "$editor_pid"
editor_pid=
check_backup
echo "every state ended within ${bound_ms} ms with its backup kept"
