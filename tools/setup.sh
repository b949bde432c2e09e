#!/usr/bin/env bash
# Installs everything the build and the tests need on Debian 12. Safe to run again: quiet when all is present.
set -euo pipefail

packages=(cmake ninja-build g++-mingw-w64-i686 mingw-w64-tools googletest wine wine32:i386 wine64 g++-mingw-w64-x86-64 xvfb xauth
          imagemagick nlohmann-json3-dev ccache nsis fonts-wine clang-format)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
