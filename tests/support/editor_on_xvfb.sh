# Shell functions of the tests that drive the real editor on a virtual X
# display (sourced, not run).
#
#   start_editor SPROCKET WORK   starts Xvfb and the editor with the settings
#                                folder WORK/config; sets $main to the main
#                                window; both stop when the script exits
#   start_display WORK           starts Xvfb alone (stopped at the exit)
#   launch_editor SPROCKET WORK  starts the editor on it; sets $editor_pid
#                                (and $main, once its window shows)
#   open_timeline PATH           File > Open (Ctrl+O), the path typed into
#                                the file dialog; returns once the dialog
#                                has gone
#   find_window TITLE_RE [SECS]  prints the id of the first visible window
#                                whose title matches, waiting up to SECS
#                                (default 30); prints nothing when none came
#   menu_window KEYS TITLE_RE    types KEYS (a menu's accelerators) into the
#                                main window until a window whose title
#                                matches shows; prints its id, or nothing

xvfb_pid= editor_pid=
stop_editor() {
  [ -n "$editor_pid" ] && kill "$editor_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
}

# xdotool gives up on the whole search when a window disappears while it
# looks (a dialog closing), so searches are retried until the time is up.
find_window() {
  deadline=$(( $(date +%s) + ${2:-30} ))
  while :; do
    found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
    [ -n "$found" ] && { echo "$found"; return 0; }
    [ "$(date +%s)" -ge "$deadline" ] && return 1
    sleep 0.2
  done
}

start_display() {
  trap stop_editor EXIT
  mkdir -p "$1"
  # The server writes its display number once it accepts clients.
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$1/display" 2>"$1/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$1/display" ] && break; sleep 0.1; done
  [ -s "$1/display" ] || { echo "Xvfb did not start"; cat "$1/xvfb.log"; exit 1; }
  DISPLAY=:$(cat "$1/display")
  export DISPLAY
  unset QT_QPA_PLATFORM
}

launch_editor() {
  mkdir -p "$2/config"
  SPROCKET_CONFIG_DIR="$2/config" "$1" >"$2/editor.log" 2>&1 &
  editor_pid=$!
}

start_editor() {
  start_display "$2"
  launch_editor "$1" "$2"
  main=$(find_window '^Sprocket$')
  [ -n "$main" ] || { echo "the editor's window did not appear"; cat "$2/editor.log"; exit 1; }
}

open_timeline() {
  xdotool windowfocus --sync "$main"
  xdotool key ctrl+o
  dialog=$(find_window '^Open$')
  [ -n "$dialog" ] || { echo "File > Open showed no dialog"; exit 1; }
  xdotool windowfocus --sync "$dialog"
  xdotool type --delay 2 "$1"
  xdotool key Return
  for _ in $(seq 100); do
    [ -z "$(xdotool search --onlyvisible --name '^Open$' 2>/dev/null)" ] && break
    sleep 0.1
  done
  sleep 0.3
}

# A key can go to a window still settling after a dialog closed: the menu
# is asked again then.
menu_window() {
  for _ in 1 2 3; do
    xdotool windowfocus --sync "$main"
    xdotool key $1
    find_window "$2" 10 && return 0
    xdotool key Escape Escape
  done
  return 1
}
