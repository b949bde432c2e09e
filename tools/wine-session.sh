# Sourced by the run scripts: starts Xvfb, boots the build tree's Wine prefix on that display and keeps one
# wineserver alive. Cleans up only what it started, by PID, when the calling script exits.
# Needs: build (the build directory). CORVEX_WINE_DISPLAY=user runs on the caller's DISPLAY (no Xvfb, no
# virtual desktop) and CORVEX_WINE_PREFIX names another prefix, for a demo a person watches.
# On a machine that runs no 32-bit code, build becomes the 64-bit tree (build/x64) and `wine` 64-bit Wine.

export WINEARCH
WINEARCH=$("$(dirname "${BASH_SOURCE[0]}")/wine-arch.sh")
if [ "$WINEARCH" = win64 ]; then
  [ "$(basename "$build")" = x64 ] || build="$build/x64"
  # Debian's wine and wine-stable start 32-bit Wine whenever it is installed, runnable or not.
  shims="$build/wine64-bin"
  mkdir -p "$shims"
  for name in wine wine-stable; do
    printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$shims/$name"
    chmod +x "$shims/$name"
  done
  export PATH="$shims:$PATH"
fi
export WINEPREFIX="${CORVEX_WINE_PREFIX:-$build/wineprefix}" WINEDEBUG=-all LANG=C.UTF-8
export CORVEX_BUILD_DIR="$build"

session_pids=()
session_cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  for pid in "${session_pids[@]}"; do kill "$pid" >/dev/null 2>&1 || true; done
  wait >/dev/null 2>&1 || true
}
trap session_cleanup EXIT

# The display must exist before the Wine session boots.
if [ "${CORVEX_WINE_DISPLAY:-}" != user ]; then
  displayfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
  session_pids+=($!)
  for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$displayfile")"
  rm -f "$displayfile"
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Booting a new Wine prefix in $WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wineserver -w
  if [ "${CORVEX_WINE_DISPLAY:-}" != user ]; then
    # A virtual desktop stands in for a window manager; without it Wine waits ~2 s on every hide or close.
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1
  fi
  wineserver -w
fi

# Wine's own fonts (Marlett for the caption buttons, Tahoma for dialogs) from Debian's fonts-wine: this Wine
# looks for them under a path it cannot resolve, so they go where every Windows font lives.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ -d /usr/share/wine/fonts ] && [ ! -f "$fonts/marlett.ttf" ]; then
  mkdir -p "$fonts"
  cp /usr/share/wine/fonts/*.ttf "$fonts/"
fi

wineserver -p >/dev/null 2>&1
wineboot >/dev/null 2>&1 </dev/null

# Keeps the desktop up between tests, so that no test's output is held open by a desktop it happened to start
# (see tests/common/DesktopKeeper.cpp). Built with the tests; ended with the session.
if [ -f "$build/desktop_keeper.exe" ]; then
  wine "$build/desktop_keeper.exe" </dev/null >/dev/null 2>&1 &
  session_pids+=($!)
fi
