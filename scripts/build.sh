#!/bin/bash
# Configures and builds the Windows programs (build/win64, build/win32) and
# the portable code natively with sanitizers (build/native).
#   build.sh [win64|win32|native|all]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
what=${1:-all}
jobs=$(nproc)

configure() {  # dir, the C++ compiler the tree must use ("" for any), extra args...
  local dir=$1 compiler=$2
  shift 2
  local cache="$root/build/$dir/CMakeCache.txt" fresh=
  # A tree made with other compilers than the toolchain names now (the
  # Windows builds once used the posix thread-model ones) starts afresh:
  # CMake would otherwise rebuild its cache without the options below.
  if [ -n "$compiler" ] && [ -f "$cache" ] && ! grep -q "^CMAKE_CXX_COMPILER:[A-Z]*=\(.*/\)\?$compiler\$" "$cache"; then
    fresh=--fresh
  fi
  if [ -n "$fresh" ] || [ ! -f "$root/build/$dir/build.ninja" ]; then
    cmake $fresh -S "$root" -B "$root/build/$dir" -G Ninja "$@" >/dev/null
  fi
}

if [ "$what" = all ] || [ "$what" = win64 ]; then
  configure win64 x86_64-w64-mingw32-g++-win32 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-x86_64.cmake"
  cmake --build "$root/build/win64" -j "$jobs"
fi
if [ "$what" = all ] || [ "$what" = win32 ]; then
  configure win32 i686-w64-mingw32-g++-win32 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOPWELL_TESTS=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake"
  cmake --build "$root/build/win32" -j "$jobs"
fi
if [ "$what" = all ] || [ "$what" = native ]; then
  configure native "" -DCMAKE_BUILD_TYPE=Debug
  cmake --build "$root/build/native" -j "$jobs"
fi
