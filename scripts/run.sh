#!/usr/bin/env bash
# Installs what is missing, builds Tovik in Release and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target tovik

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Tovik needs a graphical display, and none is available here (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
  exit 2
fi
exec ./build/tovik "$@"
