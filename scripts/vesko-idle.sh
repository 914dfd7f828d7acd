#!/bin/bash
# What the tray companion costs while it sits in the tray, read where Wine
# cannot hide it: the processor time the kernel charges to the real
# vesko.exe's process (/proc/PID/stat, user + system, in clock ticks) over
# idle seconds and over seconds with one unrelated write in the Windows
# directory each second, beside a Windows process that only waits for
# input over the same seconds, and what the Wine server spent meanwhile.
# (Wine's GetProcessTimes for another process reports far too little: a
# process that spins for two seconds read as about 60 ms.)
#   scripts/vesko-idle.sh [SECONDS]      (default 10)
# Runs in the demo prefix (build/demo/wineprefix) on a private Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-10}

scripts/build.sh win64 >/dev/null
export WINEPREFIX="$root/build/demo/wineprefix" WINEDEBUG=-all
bin="$root/build/win64"
xvfb_pid=
. scripts/xvfb.sh
start_xvfb 40 49
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
scripts/wine-run.sh --prefix "$WINEPREFIX" cmd /c exit 0 >/dev/null 2>&1 || true
windir="$WINEPREFIX/drive_c/windows"

ticks() {  # pid: user + system ticks so far
  awk '{ print $14 + $15 }' "/proc/$1/stat"
}
ms() { echo $(( $1 * 1000 / $(getconf CLK_TCK) )); }
newest() {  # pattern: the newest process of this user matching it
  pgrep -n -u "$(id -u)" -f "$1"
}

# The baseline: cmd waiting for a line that never comes.
mkfifo "$root/build/demo/vesko-idle.fifo" 2>/dev/null || true
exec 7<>"$root/build/demo/vesko-idle.fifo"
wine cmd /c "set /p line=" <"$root/build/demo/vesko-idle.fifo" >/dev/null 2>&1 &
pids+=($!)
(cd "$bin/mopwell" && exec wine ./vesko.exe) &
pids+=($!)
sleep 5  # both settled: the icon shown, the first refresh done
base=$(newest 'cmd.exe')
vesko=$(newest 'vesko.exe')
server=$(newest 'wineserver')
[ -n "$base" ] && [ -n "$vesko" ] && [ -n "$server" ] || { echo "vesko-idle: a process is missing" >&2; exit 1; }

measure() {  # label, writes (0 or 1)
  local b0 v0 s0 b1 v1 s1
  b0=$(ticks "$base"); v0=$(ticks "$vesko"); s0=$(ticks "$server")
  for _ in $(seq 1 "$seconds"); do
    sleep 1
    [ "$2" = 1 ] && date +%s%N >"$windir/VESKOIDLE.TXT"
  done
  b1=$(ticks "$base"); v1=$(ticks "$vesko"); s1=$(ticks "$server")
  printf '%-34s vesko %5d ms   waiting cmd %5d ms   wineserver %5d ms\n' "$1" \
    "$(ms $((v1 - v0)))" "$(ms $((b1 - b0)))" "$(ms $((s1 - s0)))"
}
echo "processor time over $seconds s (clock tick $(ms 1) ms):"
measure "idle" 0
measure "one write a second" 1
rm -f "$windir/VESKOIDLE.TXT"
