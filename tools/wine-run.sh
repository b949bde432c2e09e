#!/usr/bin/env bash
# Runs a Windows program under Wine in the build tree's prefix (the CTest emulator).
# WINEPREFIX is exported by tools/run-tests.sh; by default it is the prefix beside this build.
: "${WINEPREFIX:=${CORVEX_BUILD_DIR:-$PWD}/wineprefix}"
export WINEPREFIX WINEARCH=${WINEARCH:-win32} WINEDEBUG=${WINEDEBUG:--all} LANG=${LANG:-C.UTF-8}
exec wine "$@"
