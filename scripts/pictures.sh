#!/bin/bash
# Makes the README's pictures again, from the programs as they are built:
# the six tabs of mopwell on the demo browser user, set up the way a new
# user would (an alias typed in, "4 or higher", a cookie kept),
# glimso showing the demo user's cookie file, and vesko's dialog.
#   scripts/pictures.sh [OUT]      (default: docs/pictures)
# Runs in a prefix of its own (build/pictures/wineprefix, made afresh each
# time so every run starts from the same first start) on a private Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out=${1:-$root/docs/pictures}

scripts/deps.sh imagemagick x11-utils
scripts/build.sh win64

work="$root/build/pictures"
rm -rf "$work"
mkdir -p "$work" "$out"
export WINEPREFIX="$work/wineprefix" WINEDEBUG=-all
bin="$root/build/win64"
ship="$bin/mopwell"

xvfb_pid=
. scripts/xvfb.sh
start_xvfb 50 59 1024x768x24
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
scripts/wine-run.sh --prefix "$WINEPREFIX" cmd /c exit 0 >/dev/null 2>&1 || true
scripts/demo-profile.sh "$WINEPREFIX" "$bin" >/dev/null

ctl() { wine "$bin/tools/wndctl/wndctl.exe" "$@" 2>/dev/null | tr -d '\r'; }
fail() {
  echo "pictures: $*" >&2
  import -window root "$work/failed.png" 2>/dev/null && echo "the screen then: $work/failed.png" >&2
  exit 1
}
# A top-level window of CLASS, cut out of the screen.
shoot() {  # class, picture
  sleep 1
  local left top right bottom
  read -r left top right bottom < <(ctl rect "$1") || fail "no window of class $1"
  import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$2"
  echo "$2"
}

# The shipping folder is the program's folder: keep what the sitting
# changes there (the keep file, the bookmark template) and put it back.
saved="$work/saved"
mkdir -p "$saved"
for f in hookies.txt MOPWELL.BKM; do
  [ -f "$ship/$f" ] && cp -p "$ship/$f" "$saved/$f"
done
restore() {
  for f in hookies.txt MOPWELL.BKM; do
    if [ -f "$saved/$f" ]; then cp -p "$saved/$f" "$ship/$f"; else rm -f "$ship/$f"; fi
  done
}
trap 'restore; cleanup' EXIT

(cd "$ship" && exec wine ./mopwell.exe) &
prog=$!
ctl answer "IMPORTANT! PLEASE READ THIS!" 1 60000 >/dev/null || fail "no first-run message"
ctl wait Mopwell 60000 >/dev/null || fail "the main window did not appear"

# Settings: the alias typed in, the browser generation chosen, saved.
ctl tab Mopwell 3 30000 >/dev/null || fail "no Settings page"
ctl answer "Reminder ..." 1 30000 >/dev/null || true
ctl settext Mopwell 160 "Quill Ashgrove" >/dev/null
ctl settext Mopwell 161 "q.ashgrove@masks.example" >/dev/null
ctl settext Mopwell 162 "Foxglove Lantern Guild" >/dev/null
ctl settext Mopwell 163 "C:\\Alias\\quill-sig.txt" >/dev/null
ctl click Mopwell 165 >/dev/null
sleep 2
ctl click Mopwell 151 >/dev/null
ctl answer "Saving settings" 1 30000 >/dev/null || fail "Settings were not saved"

# Fettlor: one cookie moved to the keep list and saved (the keep file in
# the program's folder is put back afterwards).
ctl tab Mopwell 2 30000 >/dev/null || fail "no Fettlor page"
sleep 2
first=$(ctl rows Mopwell 147 | grep -m1 'clay-guild' || true)
[ -n "$first" ] || fail "the demo user's cookies are not listed"
ctl select Mopwell 147 "$first" >/dev/null || fail "no cookie row to select"
ctl click Mopwell 156 >/dev/null
sleep 1
ctl click Mopwell 151 >/dev/null
ctl answer "Fettlor settings" 1 30000 >/dev/null || fail "the keep list was not saved"

names=(clean viewer fettlor settings preferences documentation)
for i in 0 1 2 3 4 5; do
  ctl tab Mopwell "$i" 30000 >/dev/null || fail "no page $i"
  shoot Mopwell "$out/mopwell-${names[$i]}.png"
done
ctl close Mopwell >/dev/null || true
wait "$prog" || true

# glimso on the demo user's cookie file, as the viewer page starts it.
cookies=$(find "$WINEPREFIX/drive_c" -iname cookies.txt | head -1)
[ -n "$cookies" ] || fail "the demo user has no cookie file"
mkdir -p "$work/dumps"
cp "$cookies" "$work/dumps/Cookies.Database"
(cd "$work/dumps" && exec wine "$ship/glimso.exe" Cookies.Database) &
prog=$!
ctl wait glimso 60000 >/dev/null || fail "no glimso window"
shoot glimso "$out/glimso.png"
ctl close glimso >/dev/null || true
wait "$prog" || true

# vesko's dialog, opened the way a double-click on its icon opens it.
if [ -f "$ship/vesko.exe" ]; then
  (cd "$ship" && exec wine ./vesko.exe) &
  prog=$!
  for _ in $(seq 1 300); do ctl post vesko 301 199 515 >/dev/null && break; sleep 0.2; done
  ctl wait "#32770" 30000 >/dev/null || fail "no vesko dialog"
  # Wine's stand-in for the notification area (top left of the screen,
  # where the icon sits) beside the dialog.
  sleep 1
  read -r left top right bottom < <(ctl rect "#32770") || fail "no vesko dialog"
  import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$work/dialog.png"
  import -window root -crop "166x46+0+0" +repage "$work/tray.png"
  convert "$work/tray.png" -background white -gravity north -splice 0x0 "$work/dialog.png" \
    -bordercolor white -border 6 +append "$out/vesko-dialog.png"
  echo "$out/vesko-dialog.png"
  ctl post vesko 16 0 0 >/dev/null || true   # WM_CLOSE: the icon goes
  kill "$prog" 2>/dev/null || true
  wait "$prog" 2>/dev/null || true
fi
