#!/bin/bash
# Installs what is missing, builds, and starts mopwell.exe under Wine in a
# prefix of its own (build/demo/wineprefix). With an X display the program
# is simply shown until you close it. Without one, a private Xvfb is
# started, a screenshot of the main window is saved to build/demo/mopwell.png,
# the program is closed and the script ends.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/deps.sh imagemagick x11-utils
scripts/build.sh win64

demo="$root/build/demo"
mkdir -p "$demo"
export WINEPREFIX="$demo/wineprefix" WINEDEBUG=-all
bin="$root/build/win64"

headless=0
xvfb_pid=
. scripts/xvfb.sh
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  start_xvfb 60 69 1024x768x24
fi
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

# Boot the prefix once; seed the demo browser profile once.
scripts/wine-run.sh --prefix "$WINEPREFIX" cmd /c exit 0 >/dev/null 2>&1 || true
if [ -x scripts/demo-profile.sh ] && [ ! -f "$demo/.seeded" ]; then
  scripts/demo-profile.sh "$WINEPREFIX" "$bin" && touch "$demo/.seeded"
fi

# The program runs from its own folder, with its files beside it.
exe="$bin/mopwell/mopwell.exe"
if [ $headless -eq 0 ]; then
  echo "starting mopwell (close its window to end)"
  wine "$exe"
  exit 0
fi

wine "$exe" &
prog=$!
ctl() { wine "$bin/tools/wndctl/wndctl.exe" "$@" 2>/dev/null | tr -d '\r'; }
# A first start greets the user with the setup message: keep a picture of it.
if ctl box "IMPORTANT! PLEASE READ THIS!" 8000 >/dev/null; then
  sleep 0.5
  import -window root "$demo/first-run.png" 2>/dev/null || true
  ctl answer "IMPORTANT! PLEASE READ THIS!" 1 2000 >/dev/null || true
  echo "first-run message shown and answered (picture: $demo/first-run.png)"
fi
if ! ctl wait Mopwell 60000 >/dev/null; then
  echo "the main window did not appear" >&2
  exit 1
fi
sleep 1
read -r left top right bottom < <(ctl rect Mopwell)
import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$demo/mopwell.png"
echo "screenshot of the main window: $demo/mopwell.png"
ctl close Mopwell >/dev/null || true
wait "$prog" || true
