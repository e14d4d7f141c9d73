#!/usr/bin/env bash
# Installs what is missing, builds Kovrinta and starts it with a demo groove playing on the
# built-in synthesizer. Usage: tools/run.sh [MIDI file]
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake -S . -B build -G Ninja
cmake --build build
exec build/bin/kovrinta "${1:-build/bin/ritmos/rock-110.mid}"
