#!/bin/bash
# How long mopwell.exe takes to end after its window is closed, with no
# browser installed, after visiting each tab (the boxes a tab opens are
# answered first). Two prefixes side by side: the one our scripts make
# (wine-run.sh) and, as the baseline, one with Wine's defaults, where
# windows are left to a window manager that Xvfb does not have.
#   scripts/close-bench.sh        (after scripts/build.sh win64)
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bin="$root/build/win64"
exe="$bin/dist/mopwell.exe"
ctl="$bin/tools/wndctl/wndctl.exe"
[ -f "$exe" ] && [ -f "$ctl" ] || { echo "build first: scripts/build.sh win64" >&2; exit 2; }
work="$root/build/close-bench"
rm -rf "$work"
mkdir -p "$work"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"

xvfb_pid=
. scripts/xvfb.sh
[ -n "${DISPLAY:-}" ] || start_xvfb 70 89 || { echo "no X display" >&2; exit 2; }
stop() {
  for p in "$work/ours" "$work/default"; do WINEPREFIX=$p wineserver -k 2>/dev/null; done
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
}
trap stop EXIT

# Our prefix, as every script makes it; the baseline, as Wine makes it.
scripts/wine-run.sh --prefix "$work/ours" cmd /c exit 0 >/dev/null 2>&1
WINEPREFIX="$work/default" wineboot -i >/dev/null 2>&1
WINEPREFIX="$work/default" wineserver -w

# Seconds from the close to the end of the process.
close_time() {
  local prefix=$1 tab=$2 pid start end
  export WINEPREFIX=$prefix
  rm -f "$prefix/drive_c/windows/MOPWELL.INI" "$prefix/drive_c/windows/mopwell.ini"
  wine "$exe" >/dev/null 2>&1 &
  pid=$!
  wine "$ctl" answer "IMPORTANT! PLEASE READ THIS!" 1 60000 >/dev/null 2>&1
  wine "$ctl" wait Mopwell 60000 >/dev/null 2>&1
  wine "$ctl" answer "Whoops!" 1 2000 >/dev/null 2>&1
  if [ "$tab" -ge 0 ]; then
    wine "$ctl" tab Mopwell "$tab" 20000 >/dev/null 2>&1
    for title in "Whoops!" "FAT file error" "Mopwell FAT finder" "Failed." "Success!"; do
      wine "$ctl" answer "$title" 1 1500 >/dev/null 2>&1
    done
  fi
  start=$(date +%s%N)
  wine "$ctl" close Mopwell >/dev/null 2>&1
  wait "$pid"
  end=$(date +%s%N)
  echo "scale=2; ($end - $start) / 1000000000" | bc
}

printf '%-22s %12s %22s\n' "closed after" "our prefix" "Wine's defaults (base)"
for tab in -1 0 1 2 3 4 5; do
  label="tab $tab"
  [ "$tab" -lt 0 ] && label="no tab visited"
  printf '%-22s %10s s %20s s\n' "$label" "$(close_time "$work/ours" "$tab")" "$(close_time "$work/default" "$tab")"
done
