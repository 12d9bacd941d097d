#!/usr/bin/env bash
# Peak memory of a huge export: tovik-render covers the dipole with about
# 53 M steps (SQUARE 3, MAX_STEPS 8000 a branch, fixed seed), once
# without export (the baseline: the run's own memory, the lines it keeps
# included) and once each with --json and --csv. Prints the maximum resident
# set of each run, the growth over the baseline and the file's size; the
# export is streamed, so the growth stays far below 64 MB.
#
#   bash bench/export_memory.sh BUILD_DIR
set -euo pipefail
build="${1:-build}"
square="${SQUARE:-3}"
maxSteps="${MAX_STEPS:-8000}"
render="$build/tovik-render"
root="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

run() {  # prints "max-RSS-kB seconds steps"
  /usr/bin/time -f '%M %e' -o "$work/rss" "$render" -q "$root/examples/dipole.bmp" --seed 1 \
    --max-steps "$maxSteps" --square "$square" "$@" >"$work/out"
  echo "$(cat "$work/rss") $(sed -n 's/^lines traced: .*, steps: //p' "$work/out")"
}

read -r base seconds steps < <(run)
printf '%-8s %12s %14s %10s %8s   (%s steps, square %s)\n' export "max RSS" "over baseline" seconds file \
  "$steps" "$square"
printf '%-8s %9d kB %14s %10s %8s\n' none "$base" baseline "$seconds" -
for kind in json csv; do
  read -r rss seconds _ < <(run "--$kind" "$work/lines.$kind")
  size="$(du -h "$work/lines.$kind" | cut -f1)"
  printf '%-8s %9d kB %11d kB %10s %8s   limit 65536 kB\n' "$kind" "$rss" $((rss - base)) "$seconds" "$size"
  rm -f "$work/lines.$kind"
done
