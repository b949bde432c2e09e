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

# The simulator on its default pipe, the service in console mode and the control panel, all on that pipe.
# The control panel's window is photographed into build/screenshots/demo-control-panel.png.
sim="$build/simulator/corvexsim.exe" svc="$build/service/corvexsvc.exe" cpl="$build/cpl/corvexcpl.exe"
if [ -x "$sim" ] && [ -x "$svc" ] && [ -x "$cpl" ]; then
  logs="$build/demo-logs"
  mkdir -p "$logs" "$build/screenshots"
  wine "$sim" >"$logs/corvexsim.log" 2>&1 &
  sim_pid=$!
  for _ in $(seq 50); do wine "$sim" ctl help >/dev/null 2>&1 && break; sleep 0.2; done
  CORVEX_DRIVER=pipe wine "$svc" -console >"$logs/corvexsvc.log" 2>&1 &
  svc_pid=$!
  for _ in $(seq 50); do wine "$sim" ctl dump 2>/dev/null | grep -q '"role":0' && break; sleep 0.2; done
  CORVEX_DRIVER=pipe wine "$cpl" -notray >"$logs/corvexcpl.log" 2>&1 &
  cpl_pid=$!
  sleep "${DEMO_SECONDS:-4}"
  echo "simulator: $(wine "$sim" ctl set rate 96000)"
  sleep 1
  import -window root "$build/screenshots/demo-control-panel.png" && \
    echo "control panel: $build/screenshots/demo-control-panel.png"
  wine "$cpl" -exit || true
  wine "$sim" ctl quit >/dev/null || true
  kill "$svc_pid" 2>/dev/null || true
  wait "$cpl_pid" "$sim_pid" 2>/dev/null || true
  wait "$svc_pid" 2>/dev/null || true
fi
