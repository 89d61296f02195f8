# Helpers for end-to-end flows: the real program under a virtual X server with a real window
# manager, driven with the keyboard and the mouse as a user would. Source it from a flow
# script, then:
#
#   e2e_setup "$program_dir" "$build_dir"   # X server, openbox, temp HOME/XDG, program copy
#   e2e_start                              # starts the program; E2E_PID holds its process id
#   wid=$(e2e_wait_window '^Album Wizard$') # a visible window whose title matches (regex)
#   e2e_activate "$wid"; e2e_type "text"; e2e_key Return alt+o
#   e2e_click "$wid" 100 40                # left click at a point of the window
#   e2e_answer_file_dialog '^Save As$' /tmp/x.zip
#   e2e_close_window "$wid"                # through the window manager, as the close box does
#   e2e_wait_exit 20                       # sets E2E_EXIT to the program's exit code
#   e2e_close_program '^Fotrenza' 20       # both for the main window, found by its title
#   e2e_screenshot "$build_dir/x.png"      # the whole screen as rendered
#
# Everything started here is stopped on exit and the temporary folders are removed. Each
# helper fails the flow (exit 1, with the program's log) when what it waits for never comes.
# Variables: E2E_WORK (temporary root), E2E_PROG (program folder copy), E2E_DATA
# (XDG_DATA_HOME), E2E_LOG (the program's output), E2E_TIMEOUT (default seconds to wait).

E2E_TIMEOUT=${E2E_TIMEOUT:-20}
E2E_PID=
E2E_XVFB_PID=
E2E_WM_PID=

e2e_fail() {
  echo "FAIL: $*" >&2
  # Inside $(...) only the main script may tear down; it fails next on the empty answer.
  [ "$BASHPID" = "$E2E_MAIN_PID" ] || exit 1
  if [ -n "${E2E_LOG:-}" ] && [ -f "$E2E_LOG" ]; then
    echo "--- program output ---" >&2
    tail -n 40 "$E2E_LOG" >&2
  fi
  if [ -n "${E2E_SHOT_ON_FAIL:-}" ] && [ -n "${DISPLAY:-}" ]; then
    import -window root "$E2E_SHOT_ON_FAIL" 2>/dev/null || true
    echo "screenshot: $E2E_SHOT_ON_FAIL" >&2
  fi
  exit 1
}

e2e_log() { echo "e2e: $*" >&2; }

_e2e_cleanup() {
  [ "$BASHPID" = "$E2E_MAIN_PID" ] || return 0
  local pid i
  for pid in "$E2E_PID" "$E2E_WM_PID" "$E2E_XVFB_PID"; do
    [ -n "$pid" ] || continue
    kill "$pid" 2>/dev/null || continue
    for i in $(seq 1 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  [ -n "${E2E_WORK:-}" ] && rm -rf "$E2E_WORK"
  return 0
}

# Starts Xvfb on a display of its own choosing and openbox on it; prepares the temporary
# per-user folders and a private copy of the program folder (the settings file is written
# beside the executable).
e2e_setup() {
  local program_dir=$1 build_dir=$2
  for tool in Xvfb openbox xdotool wmctrl import; do
    command -v "$tool" >/dev/null || e2e_fail "$tool is missing (scripts/deps installs it)"
  done
  E2E_BUILD=$build_dir
  E2E_MAIN_PID=$BASHPID
  E2E_WORK=$(mktemp -d)
  trap _e2e_cleanup EXIT
  E2E_PROG=$E2E_WORK/prog
  E2E_DATA=$E2E_WORK/data
  E2E_LOG=$E2E_WORK/program.log
  mkdir -p "$E2E_PROG" "$E2E_WORK/home" "$E2E_DATA" "$E2E_WORK/config" "$E2E_WORK/runtime"
  chmod 700 "$E2E_WORK/runtime"
  cp -a "$program_dir/fotrenza" "$program_dir/Files" "$program_dir/Templates" \
        "$program_dir/Languages" "$E2E_PROG/"
  export HOME=$E2E_WORK/home XDG_DATA_HOME=$E2E_DATA XDG_CONFIG_HOME=$E2E_WORK/config \
         XDG_RUNTIME_DIR=$E2E_WORK/runtime
  export QTWEBENGINE_DISABLE_SANDBOX=1 QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu
  unset QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME

  # A loaded machine now and then leaves openbox without a display it can open; a fresh
  # server on another display is tried before the flow gives up.
  local attempt
  for attempt in 1 2 3; do
    _e2e_start_display && return 0
    _e2e_stop_display
  done
  e2e_fail "openbox did not start: $(cat "$E2E_WORK/openbox.log"; cat "$E2E_WORK/xvfb.log")"
}

# Starts Xvfb on a free display and openbox on it; fails when openbox cannot take the display.
_e2e_start_display() {
  # -displayfd: the server picks a free display and writes its number once it listens.
  local fdfile=$E2E_WORK/display i
  : >"$fdfile"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fdfile" 2>"$E2E_WORK/xvfb.log" &
  E2E_XVFB_PID=$!
  for i in $(seq 1 100); do
    [ -s "$fdfile" ] && break
    kill -0 "$E2E_XVFB_PID" 2>/dev/null || e2e_fail "Xvfb ended: $(cat "$E2E_WORK/xvfb.log")"
    sleep 0.1
  done
  [ -s "$fdfile" ] || e2e_fail "Xvfb did not start"
  export DISPLAY=:$(head -n1 "$fdfile")
  openbox --sm-disable >"$E2E_WORK/openbox.log" 2>&1 &
  E2E_WM_PID=$!
  for i in $(seq 1 100); do
    wmctrl -m >/dev/null 2>&1 && break
    kill -0 "$E2E_WM_PID" 2>/dev/null || return 1
    sleep 0.1
  done
  wmctrl -m >/dev/null 2>&1 || return 1
  e2e_log "display $DISPLAY, work folder $E2E_WORK"
}

# Ends the window manager and the X server of a display that could not be used.
_e2e_stop_display() {
  local pid
  for pid in "$E2E_WM_PID" "$E2E_XVFB_PID"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  E2E_WM_PID= E2E_XVFB_PID=
}

# Starts the program in the background; its output goes to E2E_LOG.
e2e_start() {
  "$E2E_PROG/fotrenza" >>"$E2E_LOG" 2>&1 &
  E2E_PID=$!
}

# Prints the id of the first visible window whose title matches the extended regex, waiting up
# to timeout seconds (default E2E_TIMEOUT). Qt may replace a window's native window once it
# embeds the web view, so the id is only given once it has stayed the same for a moment.
e2e_wait_window() {
  local pattern=$1 timeout=${2:-$E2E_TIMEOUT} wid last= same=0 i
  for i in $(seq 1 $((timeout * 5))); do
    wid=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n1 || true)
    if [ -n "$wid" ] && [ "$wid" = "$last" ]; then
      same=$((same + 1))
      if [ $same -ge 3 ]; then
        echo "$wid"
        return 0
      fi
    else
      same=0
    fi
    last=$wid
    if [ -n "$E2E_PID" ] && ! kill -0 "$E2E_PID" 2>/dev/null; then
      e2e_fail "the program ended while waiting for a window titled /$pattern/"
    fi
    sleep 0.2
  done
  e2e_fail "no window titled /$pattern/ within ${timeout}s (windows: $(e2e_titles))"
}

# Waits until no visible window's title matches the regex.
e2e_wait_no_window() {
  local pattern=$1 timeout=${2:-$E2E_TIMEOUT} i
  for i in $(seq 1 $((timeout * 5))); do
    xdotool search --onlyvisible --name "$pattern" >/dev/null 2>&1 || return 0
    sleep 0.2
  done
  e2e_fail "a window titled /$pattern/ is still there after ${timeout}s"
}

# The titles of the managed windows, for messages.
e2e_titles() { wmctrl -l 2>/dev/null | cut -d' ' -f5- | paste -sd'|' -; }

# The title of a window.
e2e_title() { xdotool getwindowname "$1"; }

# Gives the window the keyboard focus through the window manager.
e2e_activate() {
  xdotool windowactivate --sync "$1" >/dev/null 2>&1 || xdotool windowfocus --sync "$1"
  sleep 0.2
}

# Types text into the focused widget.
e2e_type() { xdotool type --delay 15 -- "$1"; }

# Presses keys in xdotool's names (Return, Escape, Tab, alt+o, ctrl+s, ...), one after another.
e2e_key() {
  local k
  for k in "$@"; do
    xdotool key --clearmodifiers "$k"
    sleep 0.15
  done
}

# Left click (or double click with a third argument "double") at x, y inside the window.
e2e_click() {
  local wid=$1 x=$2 y=$3 count=1
  [ "${4:-}" = double ] && count=2
  xdotool mousemove --window "$wid" "$x" "$y" sleep 0.1 click --repeat "$count" --delay 80 1
  sleep 0.2
}

# Answers the file dialog titled by the regex: the path is typed into its file-name field
# (which has the focus when the dialog opens) and confirmed with Return.
e2e_answer_file_dialog() {
  local pattern=$1 path=$2 wid
  wid=$(e2e_wait_window "$pattern")
  e2e_activate "$wid"
  xdotool key --clearmodifiers ctrl+a
  e2e_type "$path"
  sleep 0.2
  xdotool key --clearmodifiers Return
  e2e_wait_no_window "$pattern"
}

# Closes the window as its close box does: the window manager asks the program.
e2e_close_window() { wmctrl -i -c "$1"; }

# Waits for the program to end and sets E2E_EXIT to its exit code. Call it directly, not in
# $(...): only this shell can collect its child's code.
e2e_wait_exit() {
  local timeout=${1:-$E2E_TIMEOUT} i
  for i in $(seq 1 $((timeout * 5))); do
    if ! kill -0 "$E2E_PID" 2>/dev/null; then
      E2E_EXIT=0
      wait "$E2E_PID" || E2E_EXIT=$?
      E2E_PID=
      return 0
    fi
    sleep 0.2
  done
  e2e_fail "the program did not end within ${timeout}s"
}

# The whole screen as rendered (a widget grab would miss the web view).
e2e_screenshot() { import -window root "$1"; }

# Closes the program's main window, found by its title (a regex), through the window manager
# and waits for the exit (sets E2E_EXIT). A close that arrives while a command still runs is
# refused by the program, so it is asked again every few seconds, as a user would click again;
# the window is looked up anew each time, since Qt may have replaced its native window.
e2e_close_program() {
  local pattern=$1 timeout=${2:-$E2E_TIMEOUT} i wid
  for i in $(seq 1 $((timeout * 5))); do
    if ! kill -0 "$E2E_PID" 2>/dev/null; then
      e2e_wait_exit 1
      return 0
    fi
    if [ $((i % 15)) -eq 1 ]; then
      wid=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n1 || true)
      [ -n "$wid" ] && wmctrl -i -c "$wid" 2>/dev/null
    fi
    sleep 0.2
  done
  e2e_fail "the program did not end within ${timeout}s of closing its window /$pattern/"
}

# Fails unless the window has a dialog border: the window manager offers neither resizing nor
# maximising it.
e2e_assert_dialog_border() {
  local actions
  actions=$(xprop -id "$1" _NET_WM_ALLOWED_ACTIONS)
  case $actions in
    *MAXIMIZE* | *_NET_WM_ACTION_RESIZE*)
      e2e_fail "\"$(e2e_title "$1")\" can be resized or maximised: $actions" ;;
  esac
}

# In the template chooser, takes the first template; prints the main window's id once it shows
# the new album.
e2e_choose_first_template() {
  local chooser
  chooser=$(e2e_wait_window '^Choose Album Template$')
  e2e_assert_dialog_border "$chooser"
  e2e_activate "$chooser"
  e2e_click "$chooser" 110 110 # the first template's thumbnail
  e2e_key alt+o
  e2e_wait_no_window '^Choose Album Template$'
  e2e_wait_window '^Fotrenza  \[My Album\]$'
}

# Starts the program and makes a new album from the first template through the start-up
# wizard; E2E_MAIN_WINDOW gets the main window's id. (Not inside $(...): the program must be
# started by the flow's own shell.)
e2e_start_new_album() {
  local wizard
  e2e_start
  wizard=$(e2e_wait_window '^Album Wizard$' 30)
  e2e_assert_dialog_border "$wizard"
  e2e_activate "$wizard"
  e2e_key Return # Create is the default button
  E2E_MAIN_WINDOW=$(e2e_choose_first_template)
}

# Saves a new album with Ctrl+S through the real save dialog and waits for the caption to
# name the file.
e2e_save_new_album() {
  local main=$1 file=$2 name
  name=$(basename "$file" | sed 's/[][\\.^$*+?(){}|]/\\&/g')
  e2e_activate "$main"
  e2e_key ctrl+s
  e2e_answer_file_dialog '^Save As$' "$file"
  e2e_wait_window "^Fotrenza  \\[$name\\]\$" >/dev/null
}

# Starts the program and opens the album on top of the start-up wizard's recent list; waits
# for the main window whose title matches the regex and puts its id in E2E_MAIN_WINDOW. (Not
# inside $(...), as e2e_start_new_album.)
e2e_start_reopen_recent() {
  local pattern=$1 wizard
  e2e_start
  wizard=$(e2e_wait_window '^Album Wizard$' 30)
  e2e_activate "$wizard"
  e2e_key alt+o
  E2E_MAIN_WINDOW=$(e2e_wait_window "$pattern")
}
