#!/usr/bin/env bash
# Builds everything and runs every test under Wine. Extra arguments go to ctest (for example -R wn_).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/tools/build.sh"
source "$root/tools/wine-session.sh"
cd "$build"
ctest --output-on-failure -j "${CTEST_JOBS:-2}" "$@"
