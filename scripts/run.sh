#!/usr/bin/env bash
# Installs what is missing, builds Tovik in Release and starts it. Without a
# graphical display it says so and renders the bundled example instead.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target tovik tovik-render tovik-decoder

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Tovik needs a graphical display, and none is available here (neither DISPLAY nor WAYLAND_DISPLAY is set)."
  echo "Rendering the bundled example examples/dipole.bmp without a display instead..."
  ./build/tovik-render examples/dipole.bmp build/dipole-field-lines.bmp --quiet
  exit 0
fi
exec ./build/tovik "$@"
