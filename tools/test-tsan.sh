#!/usr/bin/env bash
# The data-race half of the test run. Builds the MIDI library, the toolkit and their tests
# with clang and ThreadSanitizer into build-tsan and runs them: the library's timer, JACK and
# relay threads against the thread that calls it, over private JACK dummy servers. Any report
# fails the run; tools/tsan-suppressions.txt names the only ones left out (inside libjack and
# Qt, which are not built with the sanitizer) and why.
# Usage: tools/test-tsan.sh
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build-tsan -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DKOVRINTA_TSAN=ON -DKOVRINTA_BUILD_BENCH=OFF
cmake --build build-tsan --target libvxmidi_tests vxmidi_tests

export TSAN_OPTIONS="halt_on_error=1 exitcode=66 second_deadlock_stack=1 \
suppressions=$PWD/tools/tsan-suppressions.txt"
# The address-space layout ThreadSanitizer needs does not fit a randomised one on some kernels.
run() {
  if setarch "$(uname -m)" -R true 2> /dev/null; then
    setarch "$(uname -m)" -R "$@"
  else
    "$@"
  fi
}
# FluidSynth's OpenMP pool synchronises inside libgomp, which is not built with the sanitizer;
# one rendering thread keeps the pool out of the run.
export OMP_NUM_THREADS=1 QT_QPA_PLATFORM=offscreen
# Two floods of a thousand events into a JACK port deliver about a third of them within their
# 10 s when the sanitizer slows every JACK cycle; the plain and sanitized runs check them.
floods=JackPortsTest.PutMidiOutDeliversThousandMessagesToJackPortInOrder
floods+=:FeedDevices.AJackPortRefusesWhenFullAndEveryEventArrivesInOrder
status=0
for tests in libvxmidi_tests vxmidi_tests; do
  echo "== $tests under ThreadSanitizer"
  run "build-tsan/tests/$tests" --gtest_brief=1 "--gtest_filter=-$floods" || status=1
done
exit $status
