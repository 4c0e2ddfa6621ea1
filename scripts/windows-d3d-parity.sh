#!/usr/bin/env bash
# Runs the Direct3D view's parity scenes on Wine's real Direct3D 9 (drawing with Mesa's software
# OpenGL) and compares them with the reference device and the software view:
#   scripts/windows-d3d-parity.sh [build folder, default build/windows-x64]
# The windows-x64 build must be built already. Wine needs an X display to make a device, so this
# starts Xvfb on a free display and stops it at the end; Wine runs with WINEDEBUG=-all in its own
# prefix inside the build folder. Prints the largest channel difference per draw method; the exit
# status is 0 when every one is within its bound.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/windows-x64}
build=$(cd "$build" 2>/dev/null && pwd) || { echo "d3d-parity: no build folder ${1:-build/windows-x64}" >&2; exit 2; }
program=$build/tests/wined3d/system_d3d_parity.exe
if [[ ! -f $program ]]; then
  echo "d3d-parity: $program is missing: build the windows-x64 preset first" >&2
  exit 2
fi
for tool in Xvfb /usr/lib/wine/wine64 /usr/lib/wine/wineserver; do
  if ! command -v "$tool" >/dev/null; then
    echo "d3d-parity: $tool is missing (install xvfb and wine64)" >&2
    exit 2
  fi
done

started=$(date +%s%N)

# A display nobody holds, from :97 up.
display=97
while [[ -e /tmp/.X$display-lock || -e /tmp/.X11-unix/X$display ]]; do
  display=$((display + 1))
done

# Its own prefix: the Wine server of a prefix keeps the display it was started with.
export TAMBLET_WINEPREFIX=$build/wineprefix-d3d
xvfb_pid=""
log=$(mktemp)
finish() {
  WINEPREFIX=$TAMBLET_WINEPREFIX /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
  if [[ -n $xvfb_pid ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -f "$log"
}
trap finish EXIT

Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp +extension GLX >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [[ -e /tmp/.X11-unix/X$display ]] && break
  if ! kill -0 "$xvfb_pid" 2>/dev/null; then
    echo "d3d-parity: Xvfb could not start on :$display" >&2
    exit 1
  fi
  sleep 0.1
done
export DISPLAY=:$display
export WINEDEBUG=-all

status=0
"$root/scripts/wine-run.sh" "$program" --gtest_color=no >"$log" 2>&1 || status=$?
elapsed_ms=$((($(date +%s%N) - started) / 1000000))
elapsed=$((elapsed_ms / 1000)).$((elapsed_ms % 1000 / 100))

if grep -q "no Direct3D 9 device" "$log"; then
  echo "d3d-parity: Wine could not create a Direct3D 9 device (no OpenGL on display :$display?):" >&2
  grep "no Direct3D 9 device" "$log" >&2
  exit 1
fi
echo "Direct3D parity on Wine's Direct3D 9 (largest channel difference per draw method):"
sed -n 's/^parity: //p' "$log"
if [[ $status -ne 0 ]]; then
  grep -E "Failure|Expected|Which is|draw method|error" "$log" >&2 || tail -20 "$log" >&2
  echo "d3d-parity: FAILED ($elapsed s)"
  exit 1
fi
echo "d3d-parity: passed ($elapsed s)"
