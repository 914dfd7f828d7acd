#!/bin/bash
# Runs one Windows program under Wine, in the build tree's own prefix.
#   wine-run.sh --prefix DIR PROGRAM.exe [ARGS...]
# The prefix is booted once and reused. When no X display is set, a private
# Xvfb is started for this run and stopped afterwards. WINEDEBUG is quiet.
set -u
if [ "${1:-}" != "--prefix" ] || [ $# -lt 3 ]; then
  echo "usage: $0 --prefix DIR PROGRAM.exe [ARGS...]" >&2
  exit 2
fi
prefix=$2
shift 2

export WINEPREFIX=$prefix
export WINEDEBUG=-all
# No Mono or Gecko prompts while the prefix is made.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"

# Boot the prefix once; concurrent runs wait for the first one. When no
# Wine server runs for this prefix, the same lock makes sure one run alone
# starts it (and Wine's background services, from a no-op writing nowhere:
# services started by the program itself would inherit its output and keep
# a test runner waiting on it). Runs that each started a server at the same
# moment could lose their connection to it and die without output.
mkdir -p "$(dirname "$prefix")"
(
  flock 9
  if [ ! -f "$prefix/.booted" ]; then
    wineboot -i >/dev/null 2>&1
    wineserver -w
    # Wine's own fonts (Debian's fonts-wine: Marlett for the caption
    # buttons, Tahoma, MS Sans Serif) are not found where the package puts
    # them: this Wine scans the prefix's Fonts folder only. Without them the
    # title bar shows its buttons as the letters "0 1 r".
    if [ -d /usr/share/wine/fonts ]; then
      mkdir -p "$prefix/drive_c/windows/Fonts"
      cp -n /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
    fi
    touch "$prefix/.booted"
  fi
  server_id=$(printf 'server-%x-%x' "$(stat -c %d "$prefix")" "$(stat -c %i "$prefix")")
  if ! compgen -G "/tmp/wine-*/$server_id/socket" >/dev/null &&
     ! compgen -G "/tmp/.wine-$(id -u)/$server_id/socket" >/dev/null; then
    # It stays a minute after its last program, so runs that follow one
    # another do not meet a server on its way out.
    # (Neither may keep the lock: fd 9 is closed for them.)
    wineserver -p60 >/dev/null 2>&1 9>&- || true
    wine cmd /c exit 0 >/dev/null 2>&1 </dev/null 9>&- || true
  fi
  # Without a window manager (Xvfb), Wine waits two seconds for every
  # managed window it hides or destroys to be withdrawn by one: a closed
  # program lingers two seconds for each window it had on the screen. Let
  # Wine place the windows itself. Checked at every run, so a prefix made
  # before this setting existed gets it too.
  if ! grep -qs '^"Managed"="N"' "$prefix/user.reg"; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null 9>&-
  fi
) 9>"$prefix.lock"
server_id=$(printf 'server-%x-%x' "$(stat -c %d "$prefix")" "$(stat -c %i "$prefix")")

xvfb_pid=
. "$(dirname "$0")/xvfb.sh"
[ -n "${DISPLAY:-}" ] || start_xvfb 90 140

# The program runs as a child, so that an end without a word of its own
# (a crash in the emulator, a lost server connection) is still reported:
# which program with which arguments (for a test, its name), how it ended,
# and whether the prefix's server was still there. A test runner that stops
# this script on a time-out stops the program with it.
started=$(date +%s%N)
wine "$@" &
child=$!
trap 'kill "$child" 2>/dev/null' TERM INT HUP
wait "$child"
rc=$?
if [ "$rc" -ne 0 ]; then
  server=gone
  if compgen -G "/tmp/wine-*/$server_id/socket" >/dev/null ||
     compgen -G "/tmp/.wine-$(id -u)/$server_id/socket" >/dev/null; then
    server=running
  fi
  how="exit code $rc"
  [ "$rc" -gt 128 ] && how="$how (signal $(kill -l $((rc - 128)) 2>/dev/null || echo $((rc - 128))))"
  echo "wine-run: $* ended with $how; wineserver $server" >&2
  # What the machine looked like, for an end nobody explained.
  ms=$(( ($(date +%s%N) - started) / 1000000 ))
  echo "wine-run: after $ms ms; load $(cut -d' ' -f1-3 /proc/loadavg);" \
       "$(awk '/MemAvailable/ {print int($2/1024)}' /proc/meminfo) MiB free;" \
       "$(pgrep -c -u "$(id -u)" -f '\.exe' || true) processes running a .exe" >&2
fi
[ -n "$xvfb_pid" ] && { kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; }
exit $rc
