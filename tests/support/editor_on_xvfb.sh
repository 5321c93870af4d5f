# Shell functions of the tests that drive the real editor on a virtual X
# display (sourced, not run).
#
#   start_editor SPROCKET WORK   starts Xvfb and the editor with the settings
#                                folder WORK/config; sets $main to the main
#                                window; both stop when the script exits
#   open_timeline PATH           File > Open (Ctrl+O), the path typed into
#                                the file dialog

xvfb_pid= editor_pid=
stop_editor() {
  [ -n "$editor_pid" ] && kill "$editor_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
}

start_editor() {
  trap stop_editor EXIT
  mkdir -p "$2/config"
  # The server writes its display number once it accepts clients.
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$2/display" 2>"$2/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$2/display" ] && break; sleep 0.1; done
  [ -s "$2/display" ] || { echo "Xvfb did not start"; cat "$2/xvfb.log"; exit 1; }
  DISPLAY=:$(cat "$2/display")
  export DISPLAY
  unset QT_QPA_PLATFORM

  SPROCKET_CONFIG_DIR="$2/config" "$1" >"$2/editor.log" 2>&1 &
  editor_pid=$!
  main=$(timeout 30 xdotool search --sync --onlyvisible --name '^Sprocket$' | head -1)
  [ -n "$main" ] || { echo "the editor's window did not appear"; cat "$2/editor.log"; exit 1; }
}

open_timeline() {
  xdotool windowfocus --sync "$main"
  xdotool key ctrl+o
  dialog=$(timeout 30 xdotool search --sync --onlyvisible --name '^Open$' | head -1)
  [ -n "$dialog" ] || { echo "File > Open showed no dialog"; exit 1; }
  xdotool windowfocus --sync "$dialog"
  xdotool type --delay 2 "$1"
  xdotool key Return
}
