#!/usr/bin/env bash
# Builds and runs the benchmark programs under Wine; prints their figures.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/tools/build.sh" >/dev/null
source "$root/tools/wine-session.sh"
wine "$build/tests/bench/corvex_bench.exe"
