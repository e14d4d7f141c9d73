#!/usr/bin/env bash
# Builds the Standard MIDI File reader's fuzz target with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs it for SECONDS, seeded with the sample files and the
# files that once made the reader fail. Any finding fails the run and is kept in OUT/findings.
# Usage: tools/fuzz-smf.sh OUT SECONDS [SAMPLES]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=$1
seconds=$2
samples=${3:-$top/tests/data/midi}

mkdir -p "$out/corpus" "$out/findings"
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I"$top/libvxmidi/include" -I"$top/libvxmidi/src" \
  "$top/fuzz/SmfFuzz.cpp" "$top/libvxmidi/src/SmfParser.cpp" -o "$out/smf_fuzz"

# The corpus lives in the build folder; the seeds are only read.
seeds=()
for dir in "$top/tests/data/smf/regressions" "$samples/songs" "$samples/features" \
  "$samples/malformed"; do
  [ -d "$dir" ] && seeds+=("$dir")
done

"$out/smf_fuzz" -max_total_time="$seconds" -timeout=2 -rss_limit_mb=2048 -max_len=262144 \
  -print_final_stats=1 -artifact_prefix="$out/findings/" "$out/corpus" "${seeds[@]}" \
  2>"$out/fuzz.log" || { tail -40 "$out/fuzz.log"; echo "fuzz: finding kept in $out/findings"; exit 1; }
grep -E "^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)" "$out/fuzz.log"
echo "fuzz: ran ${seconds} s, no finding"
