#!/bin/bash
# Makes the demo browser user (a Communicator 4 profile and the Navigator 3
# installation it was upgraded from) inside a Wine prefix, so mopwell has
# real paths and traces to show from its first start.
#   demo-profile.sh PREFIX BIN
# PREFIX is a booted Wine prefix, BIN the build folder holding
# tools/demoprofile/demoprofile.exe. MOPWELL.INI is not touched: a new user
# still meets the program's own first start.
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 PREFIX BIN" >&2
  exit 2
fi
export WINEPREFIX=$1 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
exe="$2/tools/demoprofile/demoprofile.exe"
if [ ! -f "$exe" ]; then
  echo "demo-profile: $exe is missing (build it first)" >&2
  exit 1
fi
echo "making the demo browser user in $WINEPREFIX"
wine "$exe" | tr -d '\r'
