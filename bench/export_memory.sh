#!/usr/bin/env bash
# Peak memory of a huge export: tovik-render covers the dipole with about
# 50 M steps (SQUARE, default 3; --max-steps 100000000, fixed seed), once
# without export (the baseline: the run's own memory, the lines it keeps
# included) and once each with --json and --csv. Prints the maximum resident
# set of each run, the growth over the baseline and the file's size; the
# export is streamed, so the growth stays far below 64 MB.
#
#   bash bench/export_memory.sh BUILD_DIR
set -euo pipefail
build="${1:-build}"
square="${SQUARE:-3}"
render="$build/tovik-render"
root="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

run() {  # prints "max-RSS-kB steps"
  /usr/bin/time -f '%M' -o "$work/rss" "$render" -q "$root/examples/dipole.bmp" --seed 1 \
    --max-steps 100000000 --square "$square" "$@" >"$work/out"
  echo "$(cat "$work/rss") $(sed -n 's/^lines traced: .*, steps: //p' "$work/out")"
}

read -r base steps < <(run)
printf '%-8s %12s %14s %12s   (%s steps, square %s)\n' export "max RSS" "over baseline" "file" "$steps" "$square"
printf '%-8s %9d kB %14s %12s\n' none "$base" baseline -
for kind in json csv; do
  read -r rss _ < <(run "--$kind" "$work/lines.$kind")
  size="$(du -h "$work/lines.$kind" | cut -f1)"
  printf '%-8s %9d kB %11d kB %12s   limit 65536 kB\n' "$kind" "$rss" $((rss - base)) "$size"
  rm -f "$work/lines.$kind"
done
