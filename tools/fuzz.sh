#!/usr/bin/env bash
# The service fuzz at full length: N messages (default 1,000,000) of random requests, malformed records and
# driver events into a running server. CI runs the same test with 100,000.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/tools/build.sh" >/dev/null
source "$root/tools/wine-session.sh"
CORVEX_FUZZ_MESSAGES=${1:-1000000} wine "$build/tests/service/service_fuzz_tests.exe" --gtest_filter='ServerFuzz.*'
