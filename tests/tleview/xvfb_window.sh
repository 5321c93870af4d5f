# Sourced by the Xvfb tests: starts a virtual X display, opens the timeline
# ($show $demo) in a window on it and sets $window; both end with the shell.
display=":$((200 + $$ % 500))"
Xvfb "$display" -screen 0 1024x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
app=
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null
  kill "$xvfb" 2>/dev/null
}
trap cleanup EXIT
export DISPLAY="$display" QT_QPA_PLATFORM=xcb

tries=0
until xdotool getdisplaygeometry >/dev/null 2>&1; do
  tries=$((tries + 1)); [ "$tries" -lt 100 ] || { echo "no X display"; exit 1; }
  sleep 0.1
done
"$show" "$demo" &
app=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --name "Sprocket timeline" | head -n 1)
