#!/usr/bin/env bash
# The soak at full length (not part of CI, which runs a short round of the same test): CYCLES plug/unplug
# cycles (default 1000) and REQUESTS client requests (default 10000). Prints the processes' handles, windows and
# private bytes before and after, and the time it took. It runs for about 40 minutes: give it a Wine prefix of
# its own (CORVEX_WINE_PREFIX=...) when other tests may run meanwhile, since every run script ends its Wine
# session with `wineserver -k`, which ends every program of that prefix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/tools/build.sh" >/dev/null
source "$root/tools/wine-session.sh"
CORVEX_SOAK_CYCLES=${1:-1000} CORVEX_SOAK_REQUESTS=${2:-10000} \
  wine "$build/tests/e2e/e2e_soak_tests.exe" 2>/dev/null | grep -E '^soak|OK|FAILED|Failure|Expected|Which is|Value of'
