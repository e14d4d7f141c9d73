#!/bin/bash
# The main window's timing on the built-in synthesizer: the window (bench/window_bench, the
# real window on an X display of its own, repainting the kit) and the fluidsynth CLI's own
# real-time file player play the same closed hi-hat groove with the same soundfont, both
# recorded from JACK by the timing harness; every audio onset is compared with the file's
# ideal times. Runs alternate (window, fluidsynth, window, ...) so that both see the same
# host noise. The window is paced by a timer, so it is judged on the wall-clock timeline of
# the recording; fluidsynth on the frame timeline. Prints a table of the onset errors and
# the window's own figures (how long after a beat's sound the kit's picture shows it); the
# per-run reports, logs and recordings stay in the output folder.
#
# Usage: bench/bench_window_audio.sh --harness DIR [options]
#   --harness DIR   the timing harness: a JACK audio recorder (jack_audio_capture), the
#                   onset analyser (onsets.py), the test-file maker (mkmidi.py) and their
#                   scripts; copied to a temporary folder and built there
#   --build DIR     the build folder (default: <repo>/build)
#   --runs N        runs of each player (default 3)
#   --bpm "A B"     tempos (default 120)
#   --busy MS       keep the window's thread busy MS ms of every 16 as well (default 0)
#   --device N      the window's synthesizer device (default: the first one listed)
#   --period N      JACK period in frames (default 128; 48 kHz)
#   --out DIR       where the reports go (default: a new folder under /tmp)
# Needs: tools/install-deps.sh, python3-numpy, fluidsynth (the CLI), a real-time capable
# jackd (run as root or with an rtprio limit).
set -euo pipefail

REPO=$(cd "$(dirname "$(readlink -f "$0")")/.." && pwd)
BUILD=$REPO/build
HARNESS=""
RUNS=3
BPMS="120"
BUSY=0
DEVICE=""
PERIOD=128
OUT=""
while [ $# -gt 0 ]; do
  case $1 in
    --harness) HARNESS=$2; shift 2 ;;
    --build) BUILD=$2; shift 2 ;;
    --runs) RUNS=$2; shift 2 ;;
    --bpm) BPMS=$2; shift 2 ;;
    --busy) BUSY=$2; shift 2 ;;
    --device) DEVICE=$2; shift 2 ;;
    --period) PERIOD=$2; shift 2 ;;
    --out) OUT=$2; shift 2 ;;
    *) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2; exit 2 ;;
  esac
done

JANELA=$(readlink -f "$BUILD/bench/window_bench" || true)
SONG=$(readlink -f "$BUILD/bin/kovrinta-song" || true)
XVFB=$REPO/tests/janela/com-xvfb.sh
[ -x "$JANELA" ] || { echo "no bench/window_bench in $BUILD (use --build)" >&2; exit 1; }
[ -x "$SONG" ] || { echo "no bin/kovrinta-song in $BUILD (use --build)" >&2; exit 1; }
[ -n "$HARNESS" ] && [ -f "$HARNESS/Makefile" ] ||
  { echo "no timing harness (use --harness DIR)" >&2; exit 1; }
command -v fluidsynth > /dev/null || { echo "no fluidsynth CLI (apt-get install fluidsynth)" >&2; exit 1; }
command -v Xvfb > /dev/null || { echo "no Xvfb (tools/install-deps.sh)" >&2; exit 1; }
PY=/usr/bin/python3  # the system Python, which has numpy
"$PY" -c 'import numpy' 2> /dev/null || { echo "no numpy for $PY (apt-get install python3-numpy)" >&2; exit 1; }
OUT=${OUT:-$(mktemp -d /tmp/kovrinta-window-bench.XXXXXX)}
mkdir -p "$OUT"
OUT=$(readlink -f "$OUT")

# Everything started here is recorded by PID and stopped on the way out.
T=$(mktemp -d /tmp/kovrinta-timing.XXXXXX)
export RUN=$T/run JACK_NAME=kovrinta-window-bench-$$
export JACK_DEFAULT_SERVER=$JACK_NAME JACK_NO_START_SERVER=1
CHILD=""
cleanup() {
  if [ -n "$CHILD" ]; then
    kill "$CHILD" 2> /dev/null || true
    wait "$CHILD" 2> /dev/null || true
  fi
  if [ -x "$T/jack_stop.sh" ]; then
    "$T/jack_stop.sh" > /dev/null 2>&1 || true
    cp "$RUN/jackd.log" "$OUT/" 2> /dev/null || true
  fi
  rm -rf "$T"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

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
make -s -C "$T" > "$OUT/harness-build.log" 2>&1 || { cat "$OUT/harness-build.log" >&2; exit 1; }
"$T/jack_start.sh" "$PERIOD" 48000 -S > "$OUT/jackd-start.log"

# The synthesizer device and its soundfont, which the fluidsynth CLI is given too.
LIST=$("$SONG" --devices)
echo "$LIST" > "$OUT/devices.txt"
[ -n "$DEVICE" ] || DEVICE=$(awk '/^[0-9]+ Kovrinta Synth / {print $1; exit}' <<< "$LIST")
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

# One recording: the harness starts the recorder, which connects to the player's ports as
# they appear, then the player; it waits for the recording to end.
record() {  # OUT_PREFIX BPM PORT_REGEX player...
  local out=$1 bpm=$2 re=$3 dur
  shift 3
  dur=$(awk 'END{printf "%d", $2 + 8}' "$OUT/hh$bpm.times")
  waitfor "$T/bench_audio.sh" "$out" "$re" "$dur" "$OUT/hh$bpm.mid" "$OUT/hh${bpm}_ref.wav" \
    -- "$@" > /dev/null 2>&1 || echo "the run $out failed" >&2
  "$PY" "$T/onsets.py" detect "$out.wav" > "$out.onsets" 2> /dev/null || true
}

{ echo "# $(date -Is) $(uname -r), $(nproc) CPUs, JACK period $PERIOD at 48 kHz (-S)"
  echo "# device $DEVICE ($NAME), soundfont $SF2, window busy $BUSY ms of 16"
  "$T/sysnoise.sh" 5 cyclictest 2> /dev/null || true; } | tee "$OUT/noise.txt"
for r in $(seq "$RUNS"); do
  for bpm in $BPMS; do
    echo "round $r/$RUNS, $bpm BPM: the window, fluidsynth" >&2
    record "$OUT/audio_${bpm}_window_r$r" "$bpm" '^Kovrinta:' \
      bash "$XVFB" "$JANELA" --device "$DEVICE" --busy "$BUSY" "$OUT/hh$bpm.mid"
    record "$OUT/audio_${bpm}_fluidsynth_r$r" "$bpm" '^fsyn:' \
      fluidsynth -a jack -j -o audio.jack.id=fsyn -R 0 -C 0 -g 1.0 -r 48000 -ni "$SF2" \
      "$OUT/hh$bpm.mid"
  done
done

# The onset errors through the harness reports' reader (bench/timing_summary.py), then the
# window's own figures from its logs.
"$PY" - "$REPO/bench" "$OUT" << 'PYTHON' | tee "$OUT/summary.txt"
import os, re, sys
sys.path.insert(0, sys.argv[1])
import timing_summary as ts
out = sys.argv[2]
labels = {"window": ("the main window, built-in synth", "wall"),
          "fluidsynth": ("fluidsynth CLI file player", "frame")}
print("|error| against the ideal grid, aligned on the first onset; median over the runs")
print(ts.HEADER)
print(ts.UNITS)
groups = ts.collect("audio", out)
for (bpm, player), runs in sorted(groups.items()):
    label, timeline = labels[player]
    for keep, name in ((ts.clean, label), (ts.held, "  (clock held in the song)")):
        s = ts.summarise(runs, timeline, keep)
        print(ts.row(bpm, name, timeline, s))
print()
print("the window's kit, per run (ms):")
for name in sorted(os.listdir(out)):
    if re.match(r"audio_\d+_window_r\d+\.player\.log$", name):
        for line in open(os.path.join(out, name)):
            if line.startswith(("beat handled", "kit painted")):
                print("  %-28s %s" % (name[:-11], line.strip()))
PYTHON
echo "goals: p99 <= 1.0 ms and no worse than fluidsynth; kit painted < 16 ms after the sound, p99"
echo "reports: $OUT"
