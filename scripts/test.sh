#!/usr/bin/env bash
# Installs what is missing, builds Tovik with its tests and runs every test:
# once in Release (fuzz regressions included), then a short run of every fuzz
# target, then once built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
jobs="$(nproc)"
export QT_QPA_PLATFORM=offscreen

echo "== Release build and tests"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTOVIK_BUILD_TESTS=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 300

# A short run of every fuzz target (6 s each) where clang is found.
if command -v clang++ >/dev/null 2>&1; then
  echo "== Fuzz smoke run"
  FUZZ_SECONDS="${FUZZ_SECONDS:-6}" ./scripts/fuzz.sh
else
  echo "== No clang: fuzz smoke run skipped"
fi

# The threads that trace lines, and the field sum's helper, under
# ThreadSanitizer: only the core's tests, built on their own.
echo "== ThreadSanitizer build and the tests of the threads"
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
  -DTOVIK_THREAD_SANITIZER=ON -DTOVIK_BUILD_BENCH=OFF >/dev/null
cmake --build build-tsan -j"$jobs" --target tovik_core_tests
TSAN_OPTIONS="halt_on_error=1" build-tsan/tests/tovik_core_tests \
  --gtest_filter='TracingDriver.*:Tension.LongSums*'

echo "== Sanitizer build and tests"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
  -DTOVIK_SANITIZE=ON -DTOVIK_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 600
