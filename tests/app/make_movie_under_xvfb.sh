#!/bin/sh
# The real editor on a virtual X display makes an AVI of a timeline through
# Movie > Make Movie AVI (the path typed into the save dialog); its decoded
# frames must equal those sprocket-render makes of the same file with the
# same settings.
#
#   make_movie_under_xvfb.sh SPROCKET SPROCKET_RENDER TIMELINE.tle WORK_FOLDER
#
# Exit status 0 when the frames match; 77 (skipped) when Xvfb, xdotool or
# ffmpeg is missing.
set -u
sprocket=$1 render=$2 timeline=$3 work=$4

for tool in Xvfb xdotool ffmpeg; do
  command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed"; exit 77; }
done

settings='[Movie]\nVResWidth=160\nVResHeight=120\nVCompressionType=MJPG\n'
rm -rf "$work"
mkdir -p "$work/config" "$work/oracle-config"
printf "$settings" >"$work/config/RODUVER.INI"
printf "$settings" >"$work/oracle-config/RODUVER.INI"
. "$(dirname "$0")/../support/editor_on_xvfb.sh"
start_editor "$sprocket" "$work"
open_timeline "$timeline"

dialog=$(menu_window "alt+m a" '^Save As AVI File$')
[ -n "$dialog" ] || { echo "Make Movie AVI showed no save dialog"; exit 1; }
xdotool windowfocus --sync "$dialog"
xdotool key ctrl+a
xdotool type --delay 2 "$work/menu.avi"
xdotool key Return

# Make Movie records the movie in the settings once it is written.
for _ in $(seq 240); do
  grep -q '^\[Last Make Movie\]' "$work/config/RODUVER.INI" && break
  sleep 0.25
done
grep -q '^\[Last Make Movie\]' "$work/config/RODUVER.INI" || { echo "no movie was recorded"; cat "$work/editor.log"; exit 1; }

"$render" "$timeline" --out "$work/oracle.avi" --config "$work/oracle-config" >"$work/render.log" 2>&1 ||
  { echo "sprocket-render failed"; cat "$work/render.log"; exit 1; }
md5() { ffmpeg -nostdin -v error -i "$1" -map 0:v -f md5 - 2>/dev/null || echo "none"; }
made=$(md5 "$work/menu.avi") expected=$(md5 "$work/oracle.avi")
echo "menu: $made  sprocket-render: $expected"
[ "$made" != "none" ] && [ "$made" = "$expected" ]
