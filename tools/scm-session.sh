#!/usr/bin/env bash
# Runs corvexsvc.exe under Wine's service control manager against corvexsim.exe: the e2e_scm_tests program
# in a Wine prefix of its own (build/scm-prefix), whose system environment holds CORVEX_DRIVER=pipe.
#
#   tools/scm-session.sh [CYCLES] [gtest options]     (default 100 stop/start cycles; CTest runs 10)
#
# The control manager gives a service the system environment as it was when the Wine session booted, so the
# value is set first and the session booted again. The prefix is separate because an installed auto-start
# service starts at every session boot of its prefix, and so that its session shares nothing with the tests
# of the build's own prefix. Needs a built tree (tools/build.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CORVEX_BUILD_DIR:-$root/build}
cycles=${1:-100}
shift || true

# Under CTest the display is the test run's; by hand one of our own is started.
if [ -n "${DISPLAY:-}" ]; then export CORVEX_WINE_DISPLAY=user; fi
export CORVEX_WINE_PREFIX="$build/scm-prefix"
source "$root/tools/wine-session.sh"

key='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'
if ! grep -q '^"CORVEX_DRIVER"="pipe"' "$WINEPREFIX/system.reg" 2>/dev/null; then
  wine reg add "$key" /v CORVEX_DRIVER /d pipe /f >/dev/null
  wineserver -k
  wineserver -w
  wineserver -p >/dev/null 2>&1
  wineboot >/dev/null 2>&1 </dev/null
fi

CORVEX_SCM_CYCLES=$cycles wine "$build/tests/e2e/e2e_scm_tests.exe" "$@"
