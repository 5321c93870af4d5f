#!/bin/sh
# Starts the real editor on a virtual X display, opens a timeline through
# File > Open (Ctrl+O, the path typed into the file dialog), grabs the screen
# and has check_editor_screenshot find and check the timeline view.
#
#   editor_under_xvfb.sh SPROCKET CHECKER TIMELINE.tle WORK_FOLDER
#
# Exit status 0 when the view shows the timeline; 77 (skipped) when Xvfb,
# xdotool or xwd is missing.
set -u
sprocket=$1 checker=$2 timeline=$3 work=$4

for tool in Xvfb xdotool xwd convert; do
  command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed"; exit 77; }
done

rm -rf "$work"
mkdir -p "$work/config"
xvfb_pid= editor_pid=
cleanup() {
  [ -n "$editor_pid" ] && kill "$editor_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
}
trap cleanup EXIT

# The server writes its display number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
DISPLAY=:$(cat "$work/display")
export DISPLAY
unset QT_QPA_PLATFORM

SPROCKET_CONFIG_DIR="$work/config" "$sprocket" >"$work/editor.log" 2>&1 &
editor_pid=$!

main=$(timeout 30 xdotool search --sync --onlyvisible --name '^Sprocket$' | head -1)
[ -n "$main" ] || { echo "the editor's window did not appear"; cat "$work/editor.log"; exit 1; }
xdotool windowfocus --sync "$main"
xdotool key ctrl+o
dialog=$(timeout 30 xdotool search --sync --onlyvisible --name '^Open$' | head -1)
[ -n "$dialog" ] || { echo "File > Open showed no dialog"; exit 1; }
xdotool windowfocus --sync "$dialog"
xdotool type --delay 2 "$timeline"
xdotool key Return

# Grab until the view shows the timeline (it appears once the file is read).
status=2
for _ in $(seq 60); do
  xwd -root -silent | convert xwd:- "$work/screen.png"
  "$checker" "$work/screen.png" "$timeline" >"$work/check.log" 2>&1
  status=$?
  [ "$status" -eq 2 ] || break
  sleep 0.25
done
cat "$work/check.log"
exit "$status"
