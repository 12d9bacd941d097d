#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang and libFuzzer, makes their seed
# corpora and runs each target for FUZZ_SECONDS (default 20) over its seeds
# and its regression inputs. Prints the executions per second and the total
# executions of every run, and keeps them in $FUZZ_BUILD_DIR/fuzz-stats.txt.
#
# A crash, a hang (an input running past 10 s) or a failed check stops the
# script; the input is left in $FUZZ_BUILD_DIR/fuzz-run/artifacts/<target>/.
# Fix the fault, then add the input to fuzz/regressions/<target>/, which every
# test run replays. The metafile targets are the exception for hangs: libwmf
# can loop for minutes on a drawing far larger than its picture, which
# tovik-decoder's CPU limit stops, or allocate gigabytes, which its memory limit
# stops; such inputs are counted and kept, and belong in
# fuzz/regressions/wmf-limits/ (replayed under those limits).
#
#   bash scripts/fuzz.sh            FUZZ_SECONDS=300 bash scripts/fuzz.sh
set -euo pipefail
cd "$(dirname "$0")/.."

build="${FUZZ_BUILD_DIR:-build-fuzz}"
seconds="${FUZZ_SECONDS:-20}"
targets=(sniff answer wmf emf number settings)

cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Release -DTOVIK_BUILD_FUZZ=ON \
  -DTOVIK_BUILD_TESTS=OFF -DTOVIK_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target tovik-fuzz-seeds "${targets[@]/#/fuzz_}"

work="$build/fuzz-run"
rm -rf "$work"
mkdir -p "$work"
export QT_QPA_PLATFORM=offscreen
"$build/fuzz/tovik-fuzz-seeds" "$work/seeds"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp"

stats="$build/fuzz-stats.txt"
: >"$stats"
for t in "${targets[@]}"; do
  mkdir -p "$work/corpus/$t" "$work/artifacts/$t"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="$work/artifacts/$t/")
  case "$t" in
    # QSettings keeps every file it has read in a cache of its own: libFuzzer's
    # leak check after each input takes that for a leak and runs ten times slower.
    settings) options+=(-detect_leaks=0) ;;
    # In worker processes, so that a library that loops costs one input and
    # the run goes on.
    wmf | emf) options+=(-fork=1 -ignore_timeouts=1 -timeout=6) ;;
  esac
  # New inputs go into the first folder; the seeds and the regressions start it.
  status=0
  "$build/fuzz/fuzz_$t" "${options[@]}" "$work/corpus/$t" "$work/seeds/$t" "fuzz/regressions/$t" \
    >"$work/$t.log" 2>&1 || status=$?
  # In worker processes libFuzzer ends with the status of an input that ran
  # too long or too big even when told to go on past it; only a crash counts.
  case "$t" in
    wmf | emf) [ -z "$(find "$work/artifacts/$t" -name 'crash-*' -o -name 'leak-*')" ] || status=1
               [ "$status" -eq 70 ] || [ "$status" -eq 71 ] && status=0 ;;
  esac
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$work/$t.log"
    echo "fuzz target $t failed; its input is in $work/artifacts/$t/" >&2
    exit 1
  fi
  executions="$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$t.log")"
  rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/$t.log")"
  if [ -z "$executions" ]; then  # worker processes: the last status line has the totals
    last="$(grep -E '^#[0-9]+: ' "$work/$t.log" | tail -n 1)"
    executions="$(sed -E 's/^#([0-9]+):.*/\1/' <<<"$last")"
    executions="${executions:-0}"
    elapsed="$(sed -E 's/.* time: ([0-9]+)s.*/\1/' <<<"$last")"
    elapsed="${elapsed:-1}"
    rate=$((executions / (elapsed > 0 ? elapsed : 1)))
  fi
  stopped="$(find "$work/artifacts/$t" -name 'timeout-*' -o -name 'oom-*' | wc -l)"
  note=""
  if [ "$stopped" -gt 0 ]; then note="  ($stopped inputs past 6 s or 2 GB, kept in $work/artifacts/$t/)"; fi
  printf '%-9s %9s executions/s %11s executions in %s s%s\n' "$t" "$rate" "$executions" "$seconds" "$note" |
    tee -a "$stats"
done
