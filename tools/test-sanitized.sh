#!/usr/bin/env bash
# The sanitized half of the test run. Builds everything again into build-asan with clang,
# AddressSanitizer and UndefinedBehaviorSanitizer (the first finding of either stops the
# program) and the fuzz targets; runs the whole test suite there, then every fuzz target for
# KOVRINTA_FUZZ_SECONDS seconds (100 unless set), two at a time. Any failure or finding fails.
# Usage: tools/test-sanitized.sh [extra ctest arguments]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${KOVRINTA_FUZZ_SECONDS:-100}

cmake -S . -B build-asan -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DKOVRINTA_SANITIZE=ON -DKOVRINTA_BUILD_FUZZ=ON
cmake --build build-asan

# A report of undefined behaviour names the calls that led to it; leaks of system libraries
# that are not Kovrinta's are left out of the leak reports.
export UBSAN_OPTIONS=print_stacktrace=1
export LSAN_OPTIONS=suppressions=$PWD/tools/lsan-suppressions.txt:print_suppressions=0
# One test at a time: slowed down by the sanitizers, a JACK client sharing the cores with
# another test misses cycles of the dummy server, which then drops its MIDI messages.
(cd build-asan && ctest --output-on-failure --no-tests=error -j 1 "$@")

bash tools/fuzz-run.sh build-asan "$seconds"
