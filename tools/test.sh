#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test; then builds and runs it all
# again under AddressSanitizer and UndefinedBehaviorSanitizer and fuzzes every reader of
# untrusted input (tools/test-sanitized.sh); last the MIDI library and the toolkit with their
# tests under ThreadSanitizer (tools/test-tsan.sh).
# Usage: tools/test.sh [extra ctest arguments]
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake -S . -B build -G Ninja
cmake --build build
(cd build && ctest --output-on-failure --no-tests=error -j "$(nproc)" "$@")

bash tools/test-sanitized.sh "$@"
bash tools/test-tsan.sh
