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
. "$(dirname "$0")/../support/editor_on_xvfb.sh"
start_editor "$sprocket" "$work"
open_timeline "$timeline"

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
