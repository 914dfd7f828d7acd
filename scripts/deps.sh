#!/bin/bash
# Installs what building and testing need and this machine lacks (Debian 12).
#   deps.sh [extra-package ...]
set -euo pipefail
packages=(cmake ninja-build g++ clang mingw-w64 wine wine64 xvfb googletest python3 fonts-wine "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo=
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
