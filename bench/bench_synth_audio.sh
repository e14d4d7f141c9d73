#!/bin/bash
# Built-in synthesizer timing: kovrinta-song --play on the built-in synthesizer and the
# fluidsynth CLI's own real-time file player, same soundfont, same closed hi-hat groove,
# both recorded from JACK by the timing harness; every audio onset is compared with the
# file's ideal times. Runs alternate (ours, fluidsynth, ours, ...) so that both see the
# same host noise. Ours is paced by a timer, so it is judged on the wall-clock timeline of
# the recording; fluidsynth is paced by the audio frames, so on the frame timeline. With
# 0 xruns the two timelines agree, and the table shows both. Prints a table; the per-run
# reports and recordings stay in the output folder.
#
# Usage: bench/bench_synth_audio.sh [options]
#   --build DIR     the build folder holding bin/kovrinta-song (default: <repo>/build)
#   --harness DIR   the timing harness sources (default: <repo>/../shared/tools/timing);
#                   copied to a temporary folder and built there
#   --runs N        runs of each player (default 3)
#   --bpm "A B"     tempos (default 120)
#   --device N      kovrinta-song's synthesizer device (default: the first one listed)
#   --period N      JACK period in frames (default 128; 48 kHz)
#   --out DIR       where the reports go (default: a new folder under /tmp)
# Needs: tools/install-deps.sh, python3-numpy (for the harness), fluidsynth (the CLI), a
# real-time capable jackd (run as root or with an rtprio limit).
set -euo pipefail

REPO=$(cd "$(dirname "$(readlink -f "$0")")/.." && pwd)
BUILD=$REPO/build
HARNESS=$REPO/../shared/tools/timing
RUNS=3
BPMS="120"
DEVICE=""
PERIOD=128
OUT=""
while [ $# -gt 0 ]; do
  case $1 in
    --build) BUILD=$2; shift 2 ;;
    --harness) HARNESS=$2; shift 2 ;;
    --runs) RUNS=$2; shift 2 ;;
    --bpm) BPMS=$2; shift 2 ;;
    --device) DEVICE=$2; shift 2 ;;
    --period) PERIOD=$2; shift 2 ;;
    --out) OUT=$2; shift 2 ;;
    *) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2; exit 2 ;;
  esac
done

SONG=$(readlink -f "$BUILD/bin/kovrinta-song" || true)
[ -x "$SONG" ] || { echo "no kovrinta-song in $BUILD/bin (use --build)" >&2; exit 1; }
[ -f "$HARNESS/Makefile" ] || { echo "no timing harness in $HARNESS (use --harness)" >&2; exit 1; }
command -v fluidsynth > /dev/null || { echo "no fluidsynth CLI (apt-get install fluidsynth)" >&2; exit 1; }
PY=/usr/bin/python3  # the system Python, which has numpy
"$PY" -c 'import numpy' 2> /dev/null || { echo "no numpy for $PY (apt-get install python3-numpy)" >&2; exit 1; }
OUT=${OUT:-$(mktemp -d /tmp/kovrinta-synth-bench.XXXXXX)}
mkdir -p "$OUT"
OUT=$(readlink -f "$OUT")

# Everything started here is recorded by PID and stopped on the way out.
T=$(mktemp -d /tmp/kovrinta-timing.XXXXXX)
export RUN=$T/run JACK_NAME=kovrinta-bench-$$
export JACK_DEFAULT_SERVER=$JACK_NAME
CHILD=""
cleanup() {
  if [ -n "$CHILD" ]; then
    kill "$CHILD" 2>/dev/null || true
    wait "$CHILD" 2>/dev/null || true
  fi
  if [ -x "$T/jack_stop.sh" ]; then
    "$T/jack_stop.sh" > /dev/null 2>&1 || true
    cp "$RUN/jackd.log" "$OUT/" 2>/dev/null || true
  fi
  rm -rf "$T"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Runs a command in the background and waits for it, so that an interrupted benchmark can
# stop it by its PID.
waitfor() {
  "$@" &
  CHILD=$!
  local rc=0
  wait "$CHILD" || rc=$?
  CHILD=""
  return "$rc"
}

cp -r "$HARNESS"/. "$T"/
chmod -R u+w "$T"
make -s -C "$T" > "$OUT/harness-build.log" 2>&1 ||
  { cat "$OUT/harness-build.log" >&2; exit 1; }

"$T/jack_start.sh" "$PERIOD" 48000 -S > "$OUT/jackd-start.log"

# The synthesizer device and its soundfont: "N Kovrinta Synth NAME" plays NAME.sf2 (or .sf3)
# from the system's soundfont folders, which the fluidsynth CLI is then given.
LIST=$("$SONG" --devices)
echo "$LIST" > "$OUT/devices.txt"
if [ -z "$DEVICE" ]; then
  DEVICE=$(awk '/^[0-9]+ Kovrinta Synth / {print $1; exit}' <<< "$LIST")
fi
NAME=$(awk -v d="$DEVICE" '$1 == d && $2 == "Kovrinta" && $3 == "Synth" {
  sub(/^[0-9]+ Kovrinta Synth /, ""); print; exit}' <<< "$LIST")
[ -n "$NAME" ] || { echo "device '$DEVICE' is not a built-in synthesizer:" >&2; echo "$LIST" >&2; exit 1; }
SF2=""
for f in /usr/share/sounds/sf2/"$NAME".sf2 /usr/share/sounds/sf3/"$NAME".sf3 \
  "${XDG_DATA_HOME:-$HOME/.local/share}/soundfonts/$NAME".sf[23]; do
  [ -f "$f" ] && { SF2=$f; break; }
done
[ -n "$SF2" ] || { echo "cannot find the soundfont file of '$NAME'" >&2; exit 1; }

for bpm in $BPMS; do
  "$PY" "$T/mkmidi.py" "$OUT/hh$bpm.mid" --bpm "$bpm" > /dev/null
  "$T/render_ref.sh" "$SF2" "$OUT/hh$bpm.mid" "$OUT/hh${bpm}_ref.wav"
done

# One recording: bench_audio.sh starts the recorder, which connects to the player's ports
# as they appear, then the player; it waits for the recording to end.
record() {  # OUT_PREFIX BPM PORT_REGEX player...
  local out=$1 bpm=$2 re=$3 dur
  shift 3
  dur=$(awk 'END{printf "%d", $2 + 6}' "$OUT/hh$bpm.times")
  waitfor "$T/bench_audio.sh" "$out" "$re" "$dur" "$OUT/hh$bpm.mid" "$OUT/hh${bpm}_ref.wav" \
    -- "$@" > /dev/null 2>&1 || echo "the run $out failed" >&2
  # The onsets on the recording's own timeline, to tell whether the frame clock held
  # between the first note and the last.
  "$PY" "$T/onsets.py" detect "$out.wav" > "$out.onsets" 2> /dev/null || true
}

{ echo "# $(date -Is) $(uname -r), $(nproc) CPUs, JACK period $PERIOD at 48 kHz (-S)"
  echo "# device $DEVICE ($NAME), soundfont $SF2"
  "$T/sysnoise.sh" 5 cyclictest 2>/dev/null || true; } | tee "$OUT/noise.txt"
for r in $(seq "$RUNS"); do
  for bpm in $BPMS; do
    echo "round $r/$RUNS, $bpm BPM: kovrinta-song, fluidsynth" >&2
    record "$OUT/audio_${bpm}_kovrinta_r$r" "$bpm" '^Kovrinta:' \
      "$SONG" --play "$DEVICE" "$OUT/hh$bpm.mid"
    record "$OUT/audio_${bpm}_fluidsynth_r$r" "$bpm" '^fsyn:' \
      fluidsynth -a jack -j -o audio.jack.id=fsyn -R 0 -C 0 -g 1.0 -r 48000 -ni "$SF2" \
      "$OUT/hh$bpm.mid"
  done
done

"$PY" "$REPO/bench/timing_summary.py" audio "$OUT" | tee "$OUT/summary.txt"
echo "reports: $OUT"
