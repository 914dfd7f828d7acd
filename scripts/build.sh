#!/bin/bash
# Configures and builds the Windows programs (build/win64, build/win32) and
# the portable code natively with sanitizers (build/native).
#   build.sh [win64|win32|native|all]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
what=${1:-all}
jobs=$(nproc)

configure() {  # dir, extra args...
  local dir=$1
  shift
  if [ ! -f "$root/build/$dir/build.ninja" ]; then
    cmake -S "$root" -B "$root/build/$dir" -G Ninja "$@" >/dev/null
  fi
}

if [ "$what" = all ] || [ "$what" = win64 ]; then
  configure win64 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-x86_64.cmake"
  cmake --build "$root/build/win64" -j "$jobs"
fi
if [ "$what" = all ] || [ "$what" = win32 ]; then
  configure win32 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOPWELL_TESTS=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake"
  cmake --build "$root/build/win32" -j "$jobs"
fi
if [ "$what" = all ] || [ "$what" = native ]; then
  configure native -DCMAKE_BUILD_TYPE=Debug
  cmake --build "$root/build/native" -j "$jobs"
fi
