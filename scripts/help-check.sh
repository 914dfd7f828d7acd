#!/bin/bash
# Opens the help file the build made (build/win64/mopwell/MOPWELL.HLP) in
# Wine's real help viewer through WinHelpA, as the Documentation tab does:
# the contents and contexts 2 to 5. For each, the text the viewer shows is
# read from its window and must begin with the topic's title. A picture of
# context 3 (Fettlor) is kept at build/demo/help-fettlor.png.
#
# Run by scripts/test.sh with its display and prefix; on its own it starts
# a private Xvfb and uses the build tree's prefix. Every Wine step has a
# time-out: a help file the viewer refuses makes WinHelpA wait for a box
# nobody sees, and that must fail the check, not hang it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/deps.sh imagemagick

help="$root/build/win64/mopwell/MOPWELL.HLP"
probe="$root/build/win64/tests/help/help_probe.exe"
for f in "$help" "$probe"; do
  [ -f "$f" ] || { echo "FAIL: $f is missing (build win64 first)" >&2; exit 1; }
done
picture="$root/build/demo/help-fettlor.png"
mkdir -p "$(dirname "$picture")"
rm -f "$picture"

xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  . scripts/xvfb.sh
  start_xvfb 110 119 || { echo "FAIL: no display for the help viewer" >&2; exit 1; }
fi
export WINEPREFIX=${WINEPREFIX:-$root/build/win64/wineprefix} WINEDEBUG=-all
scripts/wine-run.sh --prefix "$WINEPREFIX" cmd /c exit 0 >/dev/null 2>&1 </dev/null || true

file="Z:${help//\//\\}"
patience=120  # seconds for one step, far beyond a cold viewer's start
status=0

# The probe writes to a file, never to a pipe: the viewer it starts inherits
# its output and would hold a pipe open for as long as it runs.
out_file=$(mktemp)
probe() {  # probe's arguments...; output on stdout
  local rc=0
  timeout -k 10 "$patience" wine "$probe" "$@" >"$out_file" 2>&1 </dev/null || rc=$?
  tr -d '\r' <"$out_file"
  return $rc
}

quit_viewer() {
  probe quit "$file" >/dev/null || echo "FAIL: the help viewer did not close" >&2
}
trap 'quit_viewer; rm -f "$out_file"; cleanup' EXIT

check() {  # what (contents or a number), title expected
  local out rc=0
  out=$(probe show "$file" "$1") || rc=$?
  local shown
  shown=$(printf '%s\n' "$out" | sed -n 's/^text: //p' | head -n 1)
  if [ "$rc" -ne 0 ] || [ "$shown" != "$2" ]; then
    echo "FAIL: help $1 shows \"$shown\" (exit $rc), expected \"$2\"" >&2
    printf '%s\n' "$out" >&2
    status=1
    return 1
  fi
  echo "help $1: \"$shown\""
}

check contents "How to use Mopwell" || true
check 2 "How to use Glimso" || true
check 4 "How to use Settings" || true
check 5 "How to use Preferences" || true
# Context 3 last, so that its picture shows the viewer as the check left it.
if check 3 "How to use Fettlor"; then
  import -window root "$picture"
  echo "picture of the Fettlor topic: $picture"
fi
exit $status
