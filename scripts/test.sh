#!/bin/bash
# Installs what is missing, builds everything and runs every test: the
# portable code natively (AddressSanitizer + UndefinedBehaviorSanitizer),
# the Windows programs and their tests under Wine (own prefix in the build
# tree, own Xvfb when no display is set), and a short fuzzing run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/deps.sh
scripts/build.sh all

echo "== the shipping folders hold what ships, and the programs need no MinGW runtime DLLs"
shipped="MOPWELL.BK3 MOPWELL.BK4 MOPWELL.BKM MOPWELL.HLP MOPWELL.TXT TROUBLE.TXT glimso.exe mopclean.exe mopwell.exe vesko.exe"
for dist in build/win64/dist build/win32/dist; do
  held=$(cd "$dist" && ls -A | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
  if [ "$held" != "$shipped" ]; then
    echo "FAIL: $dist holds \"$held\", not \"$shipped\"" >&2
    exit 1
  fi
  triple=x86_64-w64-mingw32
  case $dist in *win32*) triple=i686-w64-mingw32 ;; esac
  for exe in "$dist"/*.exe; do
    dlls=$($triple-objdump -p "$exe" | awk '/DLL Name/ {print $3}' | tr '\n' ' ')
    echo "$exe: $dlls"
    if echo "$dlls" | grep -qiE 'libstdc|libgcc|winpthread'; then
      echo "FAIL: $exe needs a MinGW runtime DLL" >&2
      exit 1
    fi
  done
done

echo "== the shipped programs can start on Windows XP (every import in ../shared/xp-floor, headers asking for no later Windows)"
# MOPWELL_XP_FLOOR names another folder of the lists; without them the check fails.
xp=0
python3 scripts/xp_floor_check.py --arch x86_64 build/win64/dist || xp=1
python3 scripts/xp_floor_check.py --arch i386 build/win32/dist || xp=1
if [ $xp != 0 ]; then
  echo "FAIL: a shipped program would not start on Windows XP (see above)" >&2
  exit 1
fi

echo "== mopclean.exe carries no dialog code (imports neither COMCTL32 nor comdlg32)"
nodialog=0
for dist in build/win64/dist build/win32/dist; do
  python3 scripts/import_ban_check.py --ban COMCTL32.dll --ban comdlg32.dll "$dist/mopclean.exe" || nodialog=1
done
if [ $nodialog != 0 ]; then
  echo "FAIL: mopclean.exe links dialog code (see above)" >&2
  exit 1
fi

# One display and one wineserver for the whole run.
xvfb_pid=
keeper_pid=
cleanup() {
  [ -n "$keeper_pid" ] && kill "$keeper_pid" 2>/dev/null || true
  WINEPREFIX="$root/build/win64/wineprefix" wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
. scripts/xvfb.sh
[ -n "${DISPLAY:-}" ] || start_xvfb 70 89
export WINEPREFIX="$root/build/win64/wineprefix" WINEDEBUG=-all
scripts/wine-run.sh --prefix "$WINEPREFIX" cmd /c exit 0 >/dev/null 2>&1 </dev/null || true  # boot once

# One wineserver that stays for the whole run, with Wine's background
# services already up. "wineserver -p" only makes a server persistent when
# it starts one: with a server still running it does nothing, that server
# goes away a few seconds after its last program, and the Windows tests
# started side by side then raced to start the next one (a test's process
# lost its connection to the server and died without output). The services
# would keep the test runner's output open, so they start here, writing
# nowhere.
#
# Wine's desktop process (explorer.exe) starts with the first program that
# makes a window, and keeps that program's standard error open until the
# desktop closes, a second after the last program with windows has ended.
# Started by a test, it held that test's output open while the tests beside
# and after it ran, and ctest waited for it: a test of one second took up to
# minutes, near its time-out. A program of the test suite's own now opens
# the desktop here, writing to a file, and keeps it open for the run.
keeper_out="$root/build/win64/keep-desktop.out"
fresh_wineserver() {
  if [ -n "$keeper_pid" ]; then kill "$keeper_pid" 2>/dev/null || true; wait "$keeper_pid" 2>/dev/null || true; fi
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  wineserver -p >/dev/null 2>&1 || true
  wine cmd /c exit 0 >/dev/null 2>&1 </dev/null || true
  rm -f "$keeper_out"
  wine build/win64/tests/win/win_tests.exe --keep-desktop >"$keeper_out" 2>&1 </dev/null &
  keeper_pid=$!
  for _ in $(seq 1 300); do
    grep -q ready "$keeper_out" 2>/dev/null && return 0
    sleep 0.2
  done
  echo "FAIL: the desktop keeper did not start:" >&2
  cat "$keeper_out" >&2
  return 1
}
fresh_wineserver

echo "== native tests (sanitizers)"
ctest --test-dir build/native --output-on-failure -j 2

echo "== fuzzing, short run"
scripts/fuzz.sh smoke

echo "== Windows tests under Wine"
# Every test runs once: a test that fails now and then is a fault to find,
# not one to outvote. A filter that matches no test is an error, so a
# renamed suite cannot leave this step green by running nothing.
status=0
ctest --test-dir build/win64 --output-on-failure -j 2 --no-tests=error -E '^EndToEnd\.' || status=1

echo "== the same Windows tests again, each test program as one process"
# ctest gives every test a process of its own. Run together, whatever one
# test leaves in its process (handles, windows, named objects, children)
# meets the tests after it: both ways must pass.
for program in engine/engine_tests win/win_tests vesko/vesko_tests glimso/glimso_tests; do
  scripts/wine-run.sh --prefix "$WINEPREFIX" "build/win64/tests/$program.exe" --gtest_brief=1 </dev/null || status=1
done

echo "== end-to-end: the real programs in their own processes"
# A fresh wineserver, so nothing left over by the tests above stands in
# the way of the programs' own start and end.
fresh_wineserver
ctest --test-dir build/win64 --output-on-failure --no-tests=error -R '^EndToEnd\.' || status=1
scripts/wine-run.sh --prefix "$WINEPREFIX" build/win64/tests/e2e/e2e_tests.exe --gtest_brief=1 </dev/null || status=1

echo "== help file in Wine's help viewer (contents and contexts 2 to 5)"
scripts/help-check.sh || status=1
exit $status
