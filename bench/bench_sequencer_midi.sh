#!/bin/bash
# Sequencer timing on a JACK MIDI port: kovrinta-song --play plays a closed hi-hat groove
# (every 16th) into the capture port of the timing harness, idle and with --busy-ui, at
# each tempo; the harness's RtMidi grid sender plays the same hits on the same 1/64-beat
# grid as the floor of the path (RtMidi, JACK MIDI, capture). Runs go in rounds (floor,
# idle, busy at each tempo, then again) so that all three see the same host noise. Prints a
# table; the per-run reports stay in the output folder.
#
# Usage: bench/bench_sequencer_midi.sh [options]
#   --build DIR     the build folder holding bin/kovrinta-song (default: <repo>/build)
#   --harness DIR   the timing harness sources (default: <repo>/../shared/tools/timing);
#                   copied to a temporary folder and built there
#   --runs N        rounds (default 3)
#   --bpm "A B"     tempos (default "120 240")
#   --period N      JACK period in frames (default 128; 48 kHz)
#   --out DIR       where the reports go (default: a new folder under /tmp)
# Needs: tools/install-deps.sh, python3-numpy (for the harness), a real-time capable
# jackd (run as root or with an rtprio limit).
set -euo pipefail

REPO=$(cd "$(dirname "$(readlink -f "$0")")/.." && pwd)
BUILD=$REPO/build
HARNESS=$REPO/../shared/tools/timing
RUNS=3
BPMS="120 240"
PERIOD=128
OUT=""
while [ $# -gt 0 ]; do
  case $1 in
    --build) BUILD=$2; shift 2 ;;
    --harness) HARNESS=$2; shift 2 ;;
    --runs) RUNS=$2; shift 2 ;;
    --bpm) BPMS=$2; shift 2 ;;
    --period) PERIOD=$2; shift 2 ;;
    --out) OUT=$2; shift 2 ;;
    *) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2; exit 2 ;;
  esac
done

SONG=$(readlink -f "$BUILD/bin/kovrinta-song" || true)
[ -x "$SONG" ] || { echo "no kovrinta-song in $BUILD/bin (use --build)" >&2; exit 1; }
[ -f "$HARNESS/Makefile" ] || { echo "no timing harness in $HARNESS (use --harness)" >&2; exit 1; }
PY=/usr/bin/python3  # the system Python, which has numpy
OUT=${OUT:-$(mktemp -d /tmp/kovrinta-midi-bench.XXXXXX)}
mkdir -p "$OUT"
OUT=$(readlink -f "$OUT")

# Everything started here is recorded by PID and stopped on the way out.
T=$(mktemp -d /tmp/kovrinta-timing.XXXXXX)
export RUN=$T/run JACK_NAME=kovrinta-bench-$$
export JACK_DEFAULT_SERVER=$JACK_NAME
# The process this script is waiting for (a capture, the player, a floor run), if any.
CHILD=""
CAP=""
cleanup() {
  for p in $CHILD $CAP; do kill "$p" 2>/dev/null || true; done
  for p in $CHILD $CAP; do wait "$p" 2>/dev/null || true; done
  if [ -x "$T/jack_stop.sh" ]; then
    "$T/jack_stop.sh" > /dev/null 2>&1 || true
    cp "$RUN/jackd.log" "$OUT/" 2>/dev/null || true
  fi
  rm -rf "$T"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

cp -r "$HARNESS"/. "$T"/
chmod -R u+w "$T"
make -s -C "$T" > "$OUT/harness-build.log" 2>&1 ||
  { cat "$OUT/harness-build.log" >&2; exit 1; }

for bpm in $BPMS; do
  "$PY" "$T/mkmidi.py" "$OUT/hh$bpm.mid" --bpm "$bpm" > /dev/null
done

"$T/jack_start.sh" "$PERIOD" 48000 -S > "$OUT/jackd-start.log"

steal() { awk '/^cpu /{print $9, $2+$3+$4+$5+$6+$7+$8+$9}' /proc/stat; }

# The capture runs until stopped with SIGINT (it then writes its trailer); the duration is
# only a backstop.
start_capture() {
  "$T/jack_midi_capture" -x -d "$2" -o "$1.cap" 2> "$1.cap.log" &
  CAP=$!
  for _ in $(seq 50); do
    jack_lsp 2>/dev/null | grep -x 'capture:in' > /dev/null && return 0
    sleep 0.1
  done
  echo "the capture port did not appear" >&2
  return 1
}
stop_capture() {
  kill -INT "$CAP" 2>/dev/null || true
  wait "$CAP" || true
  CAP=""
}

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

# kovrinta-song's number for the capture port; listed in every run, as devices are
# numbered by what exists at the time.
capture_device() {
  local list
  list=$("$SONG" --devices) || return 0
  awk '/ JACK capture:in$/ {print $1; exit}' <<< "$list"
}

run_ours() {  # OUT_PREFIX BPM [--busy-ui]
  local out=$1 bpm=$2
  shift 2
  local mid=$OUT/hh$bpm.mid dur s0 t0 s1 t1 dev
  dur=$(awk 'END{printf "%d", $2 + 10}' "${mid%.mid}.times")
  read -r s0 t0 < <(steal)
  start_capture "$out" "$dur"
  dev=$(capture_device)
  if [ -z "$dev" ]; then
    echo "kovrinta-song does not list the capture port" >&2
    stop_capture
    return 1
  fi
  waitfor "$SONG" --play "$dev" "$mid" "$@" > "$out.play.log" 2>&1 ||
    echo "kovrinta-song failed, see $out.play.log" >&2
  sleep 0.2
  stop_capture
  read -r s1 t1 < <(steal)
  { awk -v a=$((s1 - s0)) -v t=$((t1 - t0)) \
      'BEGIN{printf "# steal=%.2f%% during the run\n", t ? 100 * a / t : 0}'
    "$PY" "$T/midi_timing.py" "$out.cap" --times "${mid%.mid}.times" --channel 10 --note 42
  } > "$out.txt"
}

run_floor() {  # OUT_PREFIX BPM
  waitfor "$T/bench_midi.sh" "$1" "$OUT/hh$2.times" "$2" > /dev/null 2>&1 ||
    echo "the floor run $1 failed" >&2
}

{ echo "# $(date -Is) $(uname -r), $(nproc) CPUs, JACK period $PERIOD at 48 kHz (-S)"
  "$T/sysnoise.sh" 5 cyclictest 2>/dev/null || true; } | tee "$OUT/noise.txt"
for r in $(seq "$RUNS"); do
  for bpm in $BPMS; do
    echo "round $r/$RUNS, $bpm BPM: floor, idle, busy" >&2
    run_floor "$OUT/midi_${bpm}_floor_r$r" "$bpm"
    run_ours "$OUT/midi_${bpm}_idle_r$r" "$bpm"
    run_ours "$OUT/midi_${bpm}_busy_r$r" "$bpm" --busy-ui
  done
done

"$PY" "$REPO/bench/timing_summary.py" midi "$OUT" | tee "$OUT/summary.txt"
echo "reports: $OUT"
