#!/usr/bin/env bash
# The main job: builds everything and shows the programs working against the driver simulator.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/tools/build.sh"
source "$root/tools/wine-session.sh"
if [ -x "$build/simulator/corvexsim.exe" ]; then
  wine "$build/simulator/corvexsim.exe" selfcheck
else
  wine "$build/tests/platform/platform_tests.exe"
fi
