#!/usr/bin/env bash
# Configures and builds the project in build/ (or $BUILD_DIR) with the i686 mingw-w64 toolchain.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/tools/setup.sh"
# Paths under the checkout are cached relative to it, so every checkout shares the compiler cache.
export CCACHE_BASEDIR="$root"
# Configure every time: folders join the build when they gain a CMakeLists.txt, which CMake cannot notice.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-mingw.cmake" -DCORVEX_WERROR=ON >/dev/null
cmake --build "$build"
