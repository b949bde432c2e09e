#!/usr/bin/env bash
# Configures and builds the project in build/ (or $BUILD_DIR) with the i686 mingw-w64 toolchain. On a machine
# that runs no 32-bit code it also builds build/x64 with the x86_64 toolchain, which the run scripts then use.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/tools/setup.sh"
# Paths under the checkout are cached relative to it, so every checkout shares the compiler cache.
export CCACHE_BASEDIR="$root"
build_tree() { # folder, toolchain
  # Configure every time: folders join the build when they gain a CMakeLists.txt, which CMake cannot notice.
  cmake -S "$root" -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$2-mingw.cmake" -DCORVEX_WERROR=ON >/dev/null
  cmake --build "$1"
}
build_tree "$build" i686
if [ "$("$root/tools/wine-arch.sh")" = win64 ]; then build_tree "$build/x64" x86_64; fi
