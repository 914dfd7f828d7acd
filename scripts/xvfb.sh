# Sourced by the scripts: start_xvfb FIRST LAST [SCREEN] starts a private
# Xvfb on the first free display number in FIRST..LAST, exports DISPLAY and
# sets xvfb_pid (empty when none could be started).
#
# Runs started at the same moment may pick the same number; only one Xvfb
# gets it (the one whose process id is in the display's lock file), and the
# others go on to the next number, so no run ever borrows a display that
# another run stops when it ends.
start_xvfb() {
  local first=$1 last=$2 screen=${3:-1280x1024x24} n pid owner=
  xvfb_pid=
  for n in $(seq "$first" "$last"); do
    [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ] || continue
    Xvfb ":$n" -screen 0 "$screen" -nolisten tcp >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 1 200); do
      kill -0 "$pid" 2>/dev/null || break  # lost the number to another run
      owner=$( { tr -d ' \n' <"/tmp/.X$n-lock"; } 2>/dev/null || true)
      [ "$owner" = "$pid" ] && [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.05
    done
    if kill -0 "$pid" 2>/dev/null && [ "$owner" = "$pid" ]; then
      xvfb_pid=$pid
      export DISPLAY=":$n"
      return 0
    fi
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  return 1
}
