#!/usr/bin/env bash
# Builds and runs the benchmark programs under Wine; prints their figures.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/tools/build.sh" >/dev/null
source "$root/tools/wine-session.sh"
wine "$build/tests/bench/corvex_bench.exe"
if [ -x "$build/tests/cpl/cpl_bench.exe" ]; then wine "$build/tests/cpl/cpl_bench.exe" 2>/dev/null | grep "^cpl_"; fi
