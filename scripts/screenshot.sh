#!/usr/bin/env bash
# Makes data/screenshots/main-window.png, the main window with the field lines
# of examples/dipole.bmp, for the README and the AppStream metainfo: builds
# tovik-screenshot in Release and runs it under an Xvfb of its own.
#
#   bash scripts/screenshot.sh [OUTPUT.png]
#
# Environment: SCREENSHOT_BUILD_DIR (default build).
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
build="${SCREENSHOT_BUILD_DIR:-build}"
output="${1:-data/screenshots/main-window.png}"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target tovik-screenshot tovik-decoder

work="$(mktemp -d)"
xvfb_pid=""
stop_xvfb() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap stop_xvfb EXIT

# An Xvfb of our own on a display number it picks itself.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  display="$(cat "$work/display")"
  [ -n "$display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }
  sleep 0.1
done
[ -n "$display" ] || { echo "Xvfb did not start" >&2; exit 1; }
mkdir -m 700 "$work/runtime"
mkdir -p "$(dirname "$output")"
DISPLAY=":$display" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work/runtime" \
  "$build/tovik-screenshot" examples/dipole.bmp "$output"
