# Sourced by the scripts: start_xvfb FIRST LAST [SCREEN] starts a private
# Xvfb on the first free display number in FIRST..LAST, exports DISPLAY and
# sets xvfb_pid (empty when none could be started).
start_xvfb() {
  local first=$1 last=$2 screen=${3:-1280x1024x24} n
  xvfb_pid=
  for n in $(seq "$first" "$last"); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 "$screen" -nolisten tcp >/dev/null 2>&1 &
      xvfb_pid=$!
      export DISPLAY=":$n"
      for _ in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.05
      done
      return 0
    fi
  done
  return 1
}
