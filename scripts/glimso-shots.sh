#!/bin/bash
# Takes pictures of glimso showing two dump files, the way the viewer page
# starts it (in the folder of the dumps, "GLIMSO" and the file name):
#   build/demo/glimso-cookies.png   a browser cookie file (CR LF lines)
#   build/demo/glimso-binary.png    a binary file (the start of glimso.exe)
# Runs in the demo prefix (build/demo/wineprefix) on a private Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/deps.sh imagemagick x11-utils
scripts/build.sh win64

demo="$root/build/demo"
dumps="$demo/dumps"
mkdir -p "$dumps"
export WINEPREFIX="$demo/wineprefix" WINEDEBUG=-all
bin="$root/build/win64"

xvfb_pid=
. scripts/xvfb.sh
start_xvfb 60 69 1024x768x24
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
scripts/wine-run.sh --prefix "$WINEPREFIX" cmd /c exit 0 >/dev/null 2>&1 || true

# A cookie file as the browser writes it: its three header lines, a blank
# line, then one tab-separated cookie a line, CR LF.
python3 - "$dumps/Cookies.Database" <<'PY'
import sys
rows = [
    (".browsermaker.example", "TRUE", "/", "FALSE", "1293839999", "NGUSER", "cd2e5c4f-1b8a-11d3-9f55-00c04f6c2e21"),
    ("www.portal.example", "FALSE", "/", "FALSE", "1293839999", "Y", "v=1&n=5g7k2d0j1a2c3&l=4f0b_3i/o&p=m2a0000"),
    (".adserver.example", "TRUE", "/", "FALSE", "1920499138", "id", "8000007a3c1e2b5"),
    ("www.bookshop.example", "FALSE", "/", "FALSE", "1082444400", "session-id", "002-4135256-7625640"),
    (".search.example", "TRUE", "/", "FALSE", "1577836799", "AV_USERKEY", "AVS1a8e4d3c0a12e93a0c7b5f2e6d14"),
    ("my.startpage.example", "FALSE", "/", "FALSE", "1041379199", "UID", "1C2D43A3372C5B0E"),
    (".homepages.example", "TRUE", "/", "FALSE", "1009843199", "B", "4k8bd90tm6f3m&b=2"),
]
text = ("# Netscape HTTP Cookie File\r\n"
        "# http://www.netscape.com/newsref/std/cookie_spec.html\r\n"
        "# This is a generated file!  Do not edit.\r\n\r\n")
text += "".join("\t".join(r) + "\r\n" for r in rows)
open(sys.argv[1], "wb").write(text.encode("ascii"))
PY
head -c 65536 "$bin/glimso/glimso.exe" >"$dumps/Binary.Database"

ctl() { wine "$bin/tools/wndctl/wndctl.exe" "$@" 2>/dev/null | tr -d '\r'; }
shoot() {  # dump file, picture
  (cd "$dumps" && exec wine "$bin/glimso/glimso.exe" "$1") &
  local prog=$!
  if ! ctl wait glimso 60000 >/dev/null; then
    echo "no glimso window for $1" >&2
    exit 1
  fi
  sleep 1
  import -window root "$2"
  echo "picture of glimso on $1: $2"
  ctl close glimso >/dev/null || true
  wait "$prog" || true
}
shoot Cookies.Database "$demo/glimso-cookies.png"
shoot Binary.Database "$demo/glimso-binary.png"
