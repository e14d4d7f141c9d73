#!/usr/bin/env bash
# Runs the fuzz targets of a build configured with KOVRINTA_BUILD_FUZZ (clang, libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer), each for SECONDS, two at a time. Each is
# seeded with the sample files of tests/data and the inputs that once made its reader fail
# (tests/data/<reader>/regressions); its corpus lives in BUILD/fuzz/<target>/corpus and is only
# read from the seeds. Any finding (crash, sanitizer report, leak, hang, memory exhaustion)
# fails the run and is kept in BUILD/fuzz/<target>/findings.
# Usage: tools/fuzz-run.sh BUILD SECONDS [TARGET...]   (targets: smf importacao configuracao
#        idiomas jpeg texto golpes; all of them when none is named)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
seconds=$2
shift 2
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(smf importacao configuracao idiomas jpeg texto golpes)
data=$top/tests/data
# Language files the build made: real texts and pictures to start from.
made=$build/bin

# Seeds the scripts make: a language as the languages target takes it (the .idm, a zero byte,
# the .dat), and the pictures a language's text points to in its .dat.
make_language_seeds() {
  local out=$1 idm dat
  mkdir -p "$out"
  for idm in "$data"/idiomas/valid/*/*.idm "$made"/*.idm; do
    [ -f "$idm" ] || continue
    dat=${idm%.idm}.dat
    { cat "$idm"; printf '\0'; [ -f "$dat" ] && cat "$dat"; } >"$out/$(basename "$(dirname "$idm")")-$(basename "$idm")"
  done
}
make_picture_seeds() {
  python3 - "$1" "$data"/idiomas/valid/*/*.idm "$made"/*.idm <<'PY'
import os, re, sys
out = sys.argv[1]
os.makedirs(out, exist_ok=True)
for idm in sys.argv[2:]:
    dat = idm[:-4] + ".dat"
    if not (os.path.isfile(idm) and os.path.isfile(dat)):
        continue
    pictures = open(dat, "rb").read()
    for line in open(idm, "rb").read().decode("utf-8", "replace").splitlines():
        m = re.search(r"=\s*(\d+)\s*,\s*(\d+)\s*$", line)
        if m and int(m.group(1)) + int(m.group(2)) <= len(pictures):
            start, length = int(m.group(1)), int(m.group(2))
            name = "%s-%s-%d.jpg" % (os.path.basename(os.path.dirname(idm)), os.path.basename(idm), start)
            open(os.path.join(out, name), "wb").write(pictures[start:start + length])
PY
}

# The seed folders and the longest input of each target.
seeds_of() {
  local work=$build/fuzz/$1
  case $1 in
    smf) echo "$data/smf/regressions $data/midi" ;;
    importacao) echo "$data/importacao/regressions $data/midi" ;;
    configuracao) echo "$data/config" ;;
    idiomas) make_language_seeds "$work/seeds"; echo "$data/idiomas/regressions $work/seeds" ;;
    jpeg) make_picture_seeds "$work/seeds"; echo "$data/jpeg/regressions $work/seeds" ;;
    texto)
      mkdir -p "$work/seeds"
      cp "$made"/*.idm "$work/seeds/" 2>/dev/null || true
      echo "$data/texto/regressions $data/config $data/idiomas $work/seeds" ;;
    golpes) echo "$data/golpes/regressions" ;;
  esac
}
max_len_of() {
  case $1 in
    smf) echo 262144 ;;
    importacao) echo 65536 ;;
    configuracao) echo 4096 ;;
    golpes) echo 8192 ;;
    idiomas) echo 131072 ;;
    *) echo 65536 ;;
  esac
}

run_one() {
  local target=$1 work=$build/fuzz/$1 dir dirs=() options=()
  mkdir -p "$work/corpus" "$work/findings"
  for dir in $(seeds_of "$target"); do
    [ -d "$dir" ] && dirs+=("$dir")
  done
  # The words of a file format the fuzzer cannot learn from comparisons made inside Qt.
  [ -f "$top/fuzz/$target.dict" ] && options+=(-dict="$top/fuzz/$target.dict")
  if ! "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len="$(max_len_of "$target")" -print_final_stats=1 -artifact_prefix="$work/findings/" \
    "${options[@]}" "$work/corpus" "${dirs[@]}" >"$work/fuzz.log" 2>&1; then
    echo "fuzz $target: FINDING, kept in $work/findings"
    tail -60 "$work/fuzz.log"
    return 1
  fi
  local done_line executed
  done_line=$(grep -E "^#[0-9]+[[:space:]]+DONE" "$work/fuzz.log" | tail -1)
  executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/fuzz.log")
  echo "fuzz $target: ${seconds} s, $executed executions, no finding;" \
    "$(grep -oE "cov: [0-9]+ ft: [0-9]+ corp: [0-9]+/[0-9]+[a-zA-Z]+" <<<"$done_line")"
}

failed=0
running=0
for target in "${targets[@]}"; do
  [ -x "$build/fuzz/fuzz_$target" ] || { echo "fuzz: no target fuzz_$target in $build/fuzz"; exit 1; }
done
for target in "${targets[@]}"; do
  if [ "$running" -ge 2 ]; then
    wait -n || failed=1
    running=$((running - 1))
  fi
  run_one "$target" &
  running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
  wait -n || failed=1
  running=$((running - 1))
done
[ "$failed" -eq 0 ] || { echo "fuzz: a target found a fault"; exit 1; }
echo "fuzz: every target ran ${seconds} s without a finding"
