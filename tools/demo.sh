#!/usr/bin/env bash
# The main job: builds everything and shows the programs working against the driver simulator.
#
# With a display of your own (DISPLAY set), the simulator, the service in console mode and the control panel
# run on it until you close the control panel (File > Exit) or press Ctrl+C here; meanwhile you can try the
# commands it prints in another terminal. Without a display (or with DEMO_HEADLESS=1) everything runs on a
# hidden display, a few commands are run for you, and the windows are photographed into build/screenshots.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/tools/build.sh"

live=0
if [ -n "${DISPLAY:-}" ] && [ "${DEMO_HEADLESS:-0}" != 1 ]; then live=1; fi
if [ "$live" = 1 ]; then
  # A prefix of its own, without the tests' virtual desktop: the windows appear on your desktop.
  export CORVEX_WINE_DISPLAY=user CORVEX_WINE_PREFIX="$build/demo-prefix"
fi
source "$root/tools/wine-session.sh"

sim="$build/simulator/corvexsim.exe" svc="$build/service/corvexsvc.exe" cpl="$build/cpl/corvexcpl.exe"
ctl="$build/ctl/corvexctl.exe"
wine "$sim" selfcheck

logs="$build/demo-logs"
mkdir -p "$logs" "$build/screenshots"
pids=()
stop_all() {
  wine "$cpl" -exit >/dev/null 2>&1 || true
  wine "$sim" ctl quit >/dev/null 2>&1 || true
  for pid in "${pids[@]}"; do kill "$pid" >/dev/null 2>&1 || true; done
  # Only what the demo started: a bare wait would also wait for the session's Xvfb and desktop keeper.
  wait "${pids[@]}" >/dev/null 2>&1 || true
}

# The simulator on its default pipe, the service in console mode and the control panel, all on that pipe.
wine "$sim" >"$logs/corvexsim.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do wine "$sim" ctl help >/dev/null 2>&1 && break; sleep 0.2; done
CORVEX_DRIVER=pipe wine "$svc" -console >"$logs/corvexsvc.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do wine "$sim" ctl dump 2>/dev/null | grep -q '"role":0' && break; sleep 0.2; done
export CORVEX_DRIVER=pipe

if [ "$live" = 1 ]; then
  wine "$cpl" >"$logs/corvexcpl.log" 2>&1 &
  cpl_pid=$!
  pids+=("$cpl_pid")
  trap 'echo; echo "stopping"; stop_all; session_cleanup; exit 0' INT TERM
  w="WINEPREFIX=$WINEPREFIX wine"
  cat <<TRY

The control panel runs on $DISPLAY; the service's log is $logs/corvexsvc.log.
Try these in another terminal (the simulator's units are CVX10001 and CVX10002):

  $w $sim ctl plug CVX10003 plugin            # a third unit arrives, with the effect
  $w $sim ctl unplug CVX10003
  $w $sim ctl hwvolume CVX10001 0 0 -1200     # a volume turned at the unit (-12 dB)
  $w $sim ctl set errors 0 3 0 0 1            # error counters rise (Status Info page)
  $w $sim ctl client start 4                  # a program streams: rate changes are refused
  CORVEX_DRIVER=pipe $w $ctl list
  CORVEX_DRIVER=pipe $w $ctl status
  CORVEX_DRIVER=pipe $w $ctl rate 96000

Close the control panel (File > Exit) or press Ctrl+C here to stop everything.
TRY
  wait "$cpl_pid" || true
  stop_all
  exit 0
fi

# Without a display: run it, change a few things, photograph it.
wine "$cpl" -notray >"$logs/corvexcpl.log" 2>&1 &
pids+=($!)
sleep "${DEMO_SECONDS:-4}"
echo "simulator: $(wine "$sim" ctl set rate 96000)"
if [ -x "$ctl" ]; then
  for command in "list" "status" "rate 48000" "mixer CVX10001 hw"; do
    echo "\$ corvexctl $command"
    # shellcheck disable=SC2086
    wine "$ctl" $command || echo "(exit code $?)"
  done
fi
sleep 1
import -window root "$build/screenshots/demo-control-panel.png" &&
  echo "control panel: $build/screenshots/demo-control-panel.png"
# The first unit's hardware inputs mixer, opened from its device page as a user would.
opener="$build/tests/e2e/corvex_open_mixer.exe"
if [ -x "$opener" ]; then
  wine "$opener" hw demo-mixer-hardware-inputs || echo "(the mixer did not open)"
fi
stop_all
session_cleanup
exit 0
