#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them, printing one table per group
# with medians. Not part of the tests.
#
#   bash scripts/bench.sh
#
# Environment: BENCH_BUILD_DIR (default build-bench), REPS (repetitions per
# benchmark, default 10), PYTHON (default /usr/bin/python3, which has Debian's
# numpy).
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
build="${BENCH_BUILD_DIR:-build-bench}"
reps="${REPS:-10}"
python="${PYTHON:-/usr/bin/python3}"
jobs="$(nproc)"

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTOVIK_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j"$jobs" --target tovik_field_bench tovik-field-grid-bench tovik-window-bench tovik-open-bench \
  tovik-startup-bench tovik-decoder tovik-render

work="$(mktemp -d)"
xvfb_pid=""
stop_xvfb() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
  fi
}
trap 'stop_xvfb; rm -rf "$work"' EXIT

echo "== Open of the dipole picture: in-process decoding against the decoder process"
QT_QPA_PLATFORM=offscreen "$build/bench/tovik-open-bench"

echo
echo "== Field at a point"
"$build/bench/tovik_field_bench" --export_cases="$work" \
  --benchmark_repetitions="$reps" --benchmark_report_aggregates_only=true --benchmark_min_time=0.2 \
  --benchmark_out="$work/field.json" --benchmark_out_format=json >"$work/field.txt"
"$python" bench/field_numpy.py "$work" "$work/field.json"

echo
echo "== Potential and field on every pixel: FFT against the direct sum"
"$build/bench/tovik-field-grid-bench"

echo
echo "== Peak memory of a huge export (about 50 M steps) against the run without it"
bash bench/export_memory.sh "$build"

# The main window: once under a real X server (an Xvfb of our own, on :99 or
# the next free display), once with Qt's offscreen platform. WINDOW_RUNS runs
# per figure (default 9).
window_runs="${WINDOW_RUNS:-9}"
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$work/runtime}"

echo
echo "== Main window under Xvfb"
display=99
while [ -e "/tmp/.X${display}-lock" ] || [ -e "/tmp/.X11-unix/X${display}" ]; do
  display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -e "/tmp/.X11-unix/X${display}" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }
  sleep 0.1
done
DISPLAY=":$display" QT_QPA_PLATFORM=xcb "$build/bench/tovik-window-bench" --runs="$window_runs"
echo
echo "== Start-up to the first paint under Xvfb"
DISPLAY=":$display" QT_QPA_PLATFORM=xcb "$build/bench/tovik-startup-bench"
stop_xvfb

echo
echo "== Main window, offscreen platform"
QT_QPA_PLATFORM=offscreen "$build/bench/tovik-window-bench" --runs="$window_runs"

echo
echo "== Peak memory of an export of about 50 million steps: SVG and PDF against the run alone"
"$python" bench/export_memory.py "$build"
