#!/usr/bin/env bash
# A short run of window_bench, as CI runs every benchmark: the window plays a groove for a
# few seconds on the built-in synthesizer of a private JACK dummy server, on an X display
# of its own, and prints its figures.
#   window_bench_smoke.sh WINDOW_BENCH MIDI_FILE
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: window_bench_smoke.sh WINDOW_BENCH MIDI_FILE" >&2; exit 2; }
aqui=$(cd "$(dirname "$0")" && pwd)
nome=kovrinta-window-smoke-$$
jackd -n "$nome" -S -d dummy -r 48000 -p 128 > /dev/null 2>&1 &
servidor=$!
trap 'kill "$servidor" 2> /dev/null || true; wait "$servidor" 2> /dev/null || true' EXIT
export JACK_DEFAULT_SERVER=$nome JACK_NO_START_SERVER=1
jack_wait -w -t 10 > /dev/null || { echo "window_bench_smoke.sh: jackd did not start" >&2; exit 1; }
bash "$aqui/../tests/janela/com-xvfb.sh" "$1" --seconds 4 "$2"
